// The design files, pictures and cursors compiled into the program (see CMakeLists.txt).
#include <QtGlobal>

namespace app {
// Keeps the resource objects of this static library linked in.
int ResourcesLinked() {
    return 1;
}
}  // namespace app
