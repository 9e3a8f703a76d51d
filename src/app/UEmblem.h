#pragma once
// The program's emblem, drawn from the one picture in data/zak.svg that is
// compiled into the program: window icon, the icons a per-user file type
// registration writes and the icons of the installed program all come from it.
#include <QByteArray>
#include <QIcon>
#include <QImage>

// The emblem as a size x size image with a transparent background; a null
// image for a size below 1.
QImage EmblemImage(int size);
// The same picture as PNG bytes.
QByteArray EmblemPng(int size);
// The window icon: the emblem at the usual icon sizes, so that no icon
// engine plugin is needed to scale it.
QIcon ApplicationIcon();
