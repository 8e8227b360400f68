// zv-elements: the GStreamer elements the player and its tests make, one a line as
// element<TAB>Debian package<TAB>who makes it<TAB>what for; the package is "-" for the program's own
// element. scripts/check-element-packages.sh reads it.
#include "playback/element_packages.h"

#include <cstdio>

int main()
{
    for (const ElementPackage& known : KnownElements()) {
        std::printf("%s\t%s\t%s\t%s\n", known.element, known.package != nullptr ? known.package : "-",
                    known.user == ElementUser::Program ? "program" : "tests", known.use);
    }
    return 0;
}
