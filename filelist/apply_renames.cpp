#include "app/form1.h"

// Placeholder until applying is written.
void TForm1::ToolButton4Click() {}
