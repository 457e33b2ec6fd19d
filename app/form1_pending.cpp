#include "app/form1.h"

// Placeholder until the about window exists.
void TForm1::ToolButton6Click() {}
