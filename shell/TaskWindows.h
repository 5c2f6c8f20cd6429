#pragma once

// The four task windows as the shell sees them. The shell starts tasks and
// passes skin changes on; the windows themselves belong to their features, which
// fill in an implementation. Until they do, this default does nothing, so the
// buttons and rows of a missing window stay quiet.

namespace tarrowin {

enum class Task { Desktop, Folder, Creator, Protect, Browser };

class TaskWindows {
public:
    virtual ~TaskWindows() = default;
    // Applies skin n to the folder icon screen, the desktop icons screen, the
    // icon package browser and the icon creator, in that order, loading any that
    // is not loaded (hidden). Throws std::out_of_range for a skin without pictures.
    virtual void applySkin(int /*n*/) {}
    // Shows a task window. The browser is opened from the welcome screen modal
    // and from the menu on its first tab; `fromMenu` tells which.
    virtual void open(Task /*task*/, bool /*fromMenu*/) {}
    // Unloads the creator, the folder screen, the browser and the desktop screen, in that order.
    virtual void unloadAll() {}
};

} // namespace tarrowin
