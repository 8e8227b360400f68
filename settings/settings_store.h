#pragma once
// Where the per-user store of the player's settings lives: one organisation and application name for
// every group in it.

inline constexpr const char* kSettingsOrganisation = "Zenk";
inline constexpr const char* kSettingsApplication = "Zenk_Vuvaz";
