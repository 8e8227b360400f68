#pragma once
// The one list of the GStreamer elements the player and its tests make, each with the Debian package that
// provides it. The element factory makes only the program's listed elements, the install script's check
// (scripts/check-element-packages.sh, fed by tools/zv-elements) compares the packages with what the script
// installs, and a build that cannot make an element tells the user which package to install.

#include <span>
#include <string>
#include <string_view>

enum class ElementUser { Program, Tests };

struct ElementPackage {
    const char* element;   // GStreamer factory name
    const char* package;   // Debian package, nullptr for the program's own statically registered element
    ElementUser user;
    const char* use;
};

std::span<const ElementPackage> KnownElements();

// The entry of a listed element, nullptr for any other name.
const ElementPackage* FindKnownElement(std::string_view element);

// True when the program itself may make the element (listed, and not for the tests only).
bool IsProgramElement(std::string_view element);

// What to tell the user when an element cannot be made: its name and the package it comes from.
std::string MissingElementText(const char* element);

// The same for two elements either of which would do (the overlay's two sinks).
std::string MissingElementsText(const char* first, const char* second);
