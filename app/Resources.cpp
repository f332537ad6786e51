// The design files, pictures and cursors compiled into the program: this library holds only
// the resource objects that CMakeLists.txt adds to it.
