#pragma once

#include <QIcon>

// The images compiled into the program (tactilo.qrc): the icons 132, 139 and 140 at 16, 22,
// 32, 48 and 64 pixels under ":/icons/<id>/", and the desktop entry's ":/icons/tactilo.png".
//
// They live in the static library tactilo_ui. A linker drops the objects of a static
// library that nothing refers to, and with them the resource data, so the first call of
// either function below registers the data explicitly. Thread-safe.
void InitTactiloResources();

// The icon resource nResourceId with every size drawn, or a null icon when there is none.
QIcon IconFromResource(unsigned nResourceId);
