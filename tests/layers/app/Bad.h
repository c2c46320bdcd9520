#pragma once
// A core file that reached for Qt.
#include <QString>
#include <string>
