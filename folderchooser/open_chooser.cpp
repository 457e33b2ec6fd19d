#include "app/form1.h"

// Placeholder until the folder chooser exists.
void TForm1::ToolButton2Click() {}
