#pragma once
// Stands in front of a DV splitter and gives its audio decoder only sound it takes as it stands. That
// decoder prints a line on stderr for every frame without sound it is given (blank tape, a camcorder that
// recorded none, a stretch of silence), and reads and writes outside its buffers for a frame of the other
// system on damaged tape or a frame's worth of bytes that starts mid-frame in a raw stream. Every such
// frame reaches the splitter with sound packs of silence, in the stream's latest sound format, its picture
// untouched: the sound plays on without a gap and without a change of format, and the splitter's sound
// output exists from the first frame.
//
// Cost: frames that play as recorded get one look at their packs and no copy. A frame given silence is
// changed in place when the splitter is its only holder (a raw stream's own splitter reading the file);
// a frame the tee also hands to the strip is first copied into a buffer of the guard's pool, which keeps
// its buffers for the next frames: no allocation once the pool holds as many as are on their way.

#include "avi/frame_sound.h"
#include "dvfilter/gst_handles.h"

#include <memory>
#include <mutex>

class CSoundGuard {
public:
    CSoundGuard();
    ~CSoundGuard();
    CSoundGuard(const CSoundGuard&) = delete;
    CSoundGuard& operator=(const CSoundGuard&) = delete;

    // On the splitter's input, pushed to or pulled from. is625: the stream's system; packs: its sound
    // format as far as known (the silence before its first sound; a format that does not fit the system
    // gives way to 48 kHz). restorePictures: the splitter's pictures also go to the strip, which must see
    // the packs each frame recorded, so the frames given silence leave the splitter as they came.
    void Attach(GstElement* splitter, bool is625, const DvSoundPacks& packs, bool restorePictures);

private:
    struct State;
    static GstPadProbeReturn OnInput(GstPad* pad, GstPadProbeInfo* info, gpointer state);
    static GstPadProbeReturn OnPicture(GstPad* pad, GstPadProbeInfo* info, gpointer state);
    static void OnPadAdded(GstElement* element, GstPad* pad, gpointer self);
    void Detach();

    std::unique_ptr<State> m_state;   // read and written only on the splitter's streaming thread
    zv::GstPtr<GstElement> m_splitter;
    zv::GstPtr<GstPad> m_input;
    gulong m_inputProbe = 0;
    gulong m_padAdded = 0;
    std::mutex m_mutex;   // the picture output: the splitter makes it anew on its streaming thread
    zv::GstPtr<GstPad> m_pictures;
    gulong m_picturesProbe = 0;
};
