#include "app/form1.h"

// Placeholder until the settings file is written.
void TForm1::LoadSettings() {}
void TForm1::SaveSettings() {}
std::string TForm1::SettingsPath() { return {}; }
void TForm1::AdjustToFrame() {}
