#pragma once
// The application's icon (its own artwork, built into the program from res/app).

#include <QIcon>

QIcon AppIcon();
