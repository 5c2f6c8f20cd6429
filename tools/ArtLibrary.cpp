// The drawn pictures reach the program as Qt resources under ":/art/"; this file
// only gives the library something to compile besides them.
namespace tarrowin {
int artLibraryVersion() { return 1; }
} // namespace tarrowin
