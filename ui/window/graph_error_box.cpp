#include "ui/window/graph_error_box.h"

#include "playback/playback_graph.h"
#include "ui/window/message_box.h"

namespace {

// The detail line holds at most 159 bytes, cut before a UTF-8 continuation byte so no character breaks.
std::string DetailLine(std::string detail)
{
    constexpr std::size_t kDetailMax = 159;
    if (detail.size() > kDetailMax) {
        std::size_t cut = kDetailMax;
        while (cut > 0 && (static_cast<unsigned char>(detail[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        detail.resize(cut);
    }
    return detail;
}

}  // namespace

void ShowGraphError(QWidget* owner, HRESULT hr, const char* caption, const char* stepText,
                    const std::string& gstreamerMessage)
{
    if (SUCCEEDED(hr)) {
        return;
    }
    const std::string detail = DetailLine(ResultDetailText(hr, gstreamerMessage));
    const std::string text = std::string(stepText != nullptr ? stepText : "") + "\n\nDetail: " + detail;
    ShowErrorBox(owner, text.c_str(), caption);
}
