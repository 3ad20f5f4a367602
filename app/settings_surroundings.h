#pragma once
// The settings window wired to the real world: the microphones Core Audio
// lists, the Run key, settings.ini and message boxes.

#include "ui/settings_window.h"

SettingsSurroundings programSettingsSurroundings();
