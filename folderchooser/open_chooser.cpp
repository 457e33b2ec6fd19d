#include <memory>

#include <QToolButton>

#include "app/form1.h"
#include "folderchooser/form3.h"

// A fresh chooser for every opening, destroyed once it has closed.
void TForm1::ToolButton2Click() {
    std::unique_ptr<TForm3> chooser(new TForm3(this));
    Form3 = chooser.get();
    Form3->exec();
    Form3 = nullptr;
    chooser.reset();
    // Cancelling removes nothing, so the button is only ever enabled here.
    if (entryCount() > 0) ToolButton4->setEnabled(true);
}
