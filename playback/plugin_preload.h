#pragma once
// Loading ahead the GStreamer plugins the playback graph will make its elements from.
//
// Making the first element of a plugin loads the plugin's library, and for the DV decoder that library
// brings a whole codec library with it: about 80 ms of dynamic linking, more than the rest of the graph's
// build. Started early, the loads run on GStreamer's own thread pool (the program starts no thread of its
// own) while the calling thread goes on with the window or the command line; the graph's build then finds
// them loaded, or waits only for what is left of the load it needs. The dynamic loader takes one library
// at a time, so the calling thread should have loaded its own (Qt's plugins) first: it would wait too.

#include <span>
#include <string>

enum class GraphUse { Player, Snapshot };

// The elements the graph of that use makes, in the order they are loaded: for the player, those of an AVI
// file or a raw DV stream shown by the built-in renderer, as they are first made; for the snapshot, its
// decoder first, as it takes longest.
std::span<const char* const> GraphElements(GraphUse use);

// The DV decoder of every graph, the player's and the snapshot's: the program's own plugin file, which
// brings the codec library alone, when it loads; else the framework's decoder (the same codec, with all the
// library's other parts). Waits for the load LoadPluginsAhead started, or loads the file now; decided once.
const char* DvDecoderFactory();

// The same choice for the plugin file at `pluginFile`, made anew on every call.
const char* DvDecoderFactoryWith(const std::string& pluginFile);

// Initialises GStreamer (a later gst_init_check returns at once) and starts loading the plugins of
// GraphElements(use), in order, on GStreamer's thread pool. Does nothing when GStreamer cannot be
// initialised: the caller's own initialisation reports that.
void LoadPluginsAhead(GraphUse use);
