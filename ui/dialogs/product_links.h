#pragma once
// The product's own web addresses and the texts the Options and About dialogs show around them.

namespace zv {

inline constexpr const char* kProductPageUrl = "https://zenk-vuvaz.example/";
inline constexpr const char* kMakerHomeUrl = "https://zenk.example/";

}  // namespace zv
