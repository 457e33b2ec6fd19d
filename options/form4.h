#pragma once

#include <QWidget>

#include "engine/rename_options.h"

class QCheckBox;

// The rename options window: its controls are the rename options. Created
// hidden at start-up, shown modeless, hidden again when closed.
class TForm4 : public QWidget {
    Q_OBJECT

public:
    explicit TForm4(QWidget* parent = nullptr);

    QCheckBox* CheckBox13 = nullptr;  // reload the renamed files after applying

    // Every option as the controls hold it now (NumberAscending comes from the main window).
    kestrix::RenameOptions ReadRenameOptions() const;
    // Whether the list is rebuilt (true) or emptied after the renames are applied.
    bool ReloadAfterApply() const;

    void RefreshPreview();
    void RecomputeProposedPaths();
};

extern TForm4* Form4;
