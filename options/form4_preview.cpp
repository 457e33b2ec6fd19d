// The rule summary on the main window and the proposed paths of its list.
#include <QCloseEvent>
#include <QListWidget>
#include <QStringList>

#include "app/form1.h"
#include "engine/name_transform.h"
#include "engine/rule_summary.h"
#include "filelist/file_list_model.h"
#include "options/form4.h"
#include "options/radio_group.h"

namespace {

constexpr int LivePreview = 0;
constexpr int PreviewOnClose = 1;

}  // namespace

void TForm4::RefreshPreview() {
    ++refreshCount_;
    if (!Form1) return;
    QStringList lines;
    for (const std::string& line : kestrix::RuleSummaryLines(kestrix::RenameRules::From(ReadRenameOptions()).value(), Form1->entryCount())) {
        lines.append(QString::fromStdString(line));
    }
    Form1->ListBox3->clear();
    Form1->ListBox3->addItems(lines);
    if (RadioGroup1->itemIndex() == LivePreview) RecomputeProposedPaths();
}

void TForm4::RecomputeProposedPaths() {
    if (!Form1) return;
    // The options cannot change while the list is walked: read them once.
    const kestrix::RenameOptions options = ReadRenameOptions();
    const std::int64_t count = Form1->entryCount();
    // Only the proposed path decides whether an entry is rewritten; the model
    // signals the rewritten rows in runs, so the view keeps its current item.
    Form1->fileList()->rebuildWhere([&](int row, kestrix::ListEntry& entry) {
        kestrix::ListEntry rebuilt = kestrix::TransformPath(entry.current, row, count, kestrix::RenameRules::From(options).value());
        if (rebuilt.proposed == entry.proposed) return false;
        entry.proposed = std::move(rebuilt.proposed);
        return true;
    });
}

void TForm4::FormClose() {
    if (RadioGroup1->itemIndex() == PreviewOnClose) RecomputeProposedPaths();
}

void TForm4::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();  // closing only hides the window
}
