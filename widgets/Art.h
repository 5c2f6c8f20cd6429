#pragma once

// The pictures the art tool drew at build time, carried as resources under ":/art/".

#include <QByteArray>
#include <QPixmap>
#include <QSize>
#include <QString>

namespace tarrowin {

// A picture by file name ("welcome.png"); null when there is none.
QPixmap artPicture(const QString& name);
// The bytes of a drawn file ("Data.ico"); empty when there is none.
QByteArray artFile(const QString& name);

// The windows that wear skins, in the order a skin change reaches them.
enum class SkinWindow { Menu, Folder, Desktop, Browser, Creator };
inline constexpr int kSkinCount = 4;

QSize skinSize(SkinWindow window);
// The picture of skin n (0 to 3) for a window; throws std::out_of_range for any
// other n, as a window has no picture for it.
QPixmap skinPicture(SkinWindow window, int n);

} // namespace tarrowin
