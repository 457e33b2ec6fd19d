#include "folderchooser/folder_chooser.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QStorageInfo>

#include "folderchooser/drive_combo_box.h"
#include "folderchooser/owner_draw_delegate.h"
#include "platform/folders.h"
#include "session/session.h"
#include "ui/dialogs.h"
#include "ui/pixel_font.h"

using kestrix::ui::PixelFont;

namespace {

constexpr int kIconSize = 16;  // small icons; the row text starts 6 pixels after them
const QColor kSelectedRow(215, 234, 255);

// Paths are bytes; they become text only to be shown.
QString Shown(const std::string& bytes) { return QFile::decodeName(QByteArray::fromStdString(bytes)); }

std::string WithTrailingSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

// The process's current folder, ending with '/'; a current folder that no
// longer exists gives way to "/".
std::string ProcessFolder() {
    std::string folder = kestrix::platform::CurrentFolder();
    if (folder.empty()) {
        kestrix::platform::SetCurrentFolder("/");
        folder = kestrix::platform::CurrentFolder();
    }
    return WithTrailingSlash(folder);
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, const QRect& box) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(box);
    // Enter and Escape press neither button.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const QString& caption, const QRect& box,
                        bool checked) {
    auto* check = new QCheckBox(caption, parent);
    check->setObjectName(QLatin1String(name));
    check->setGeometry(box);
    // Given outright: inside a frame with a style sheet of its own, a check
    // box would fall back to the desktop's font instead of the window's.
    check->setFont(parent->font());
    // Wide enough for its text in whatever font the desktop gives.
    check->ensurePolished();
    check->resize(check->sizeHint().expandedTo(box.size()));
    check->setChecked(checked);
    return check;
}

// Background, icon at (2, 1) and black text after the icon column, as every
// row of both lists is drawn.
void DrawRow(QPainter* painter, const QRect& rect, bool selected, const QColor& background, const QIcon& icon,
             const QString& text, const QFont& font) {
    painter->fillRect(rect, selected ? kSelectedRow : background);
    if (!icon.isNull()) icon.paint(painter, QRect(rect.left() + 2, rect.top() + 1, kIconSize, kIconSize));
    painter->setFont(font);
    painter->setPen(Qt::black);
    const int textLeft = rect.left() + kIconSize + 6;
    painter->drawText(
        QRect(textLeft, rect.top() + 1, std::max(0, rect.right() - textLeft), rect.height() - 1),
        Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

}  // namespace

FolderChooser::FolderChooser(kestrix::session::Session& session, QWidget* parent)
    : QDialog(parent), session_(session) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Wybierz katalog z plikami"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(347, 407);
    setFont(kestrix::ui::DesignedSansFont(11));

    chosenFolderLabel = new QLabel(QStringLiteral("Wybrany katalog : "), this);
    chosenFolderLabel->setObjectName(QStringLiteral("Label1"));
    chosenFolderLabel->setGeometry(168, 8, 89, 13);
    // The caption sizes itself to its text, whatever the font resolves to.
    chosenFolderLabel->ensurePolished();
    chosenFolderLabel->resize(chosenFolderLabel->sizeHint().expandedTo(chosenFolderLabel->size()));

    diskBox = new DriveComboBox(
        18,
        [this](QPainter* painter, const QRect& rect, int row, bool selected) {
            drawDiskRow(painter, rect, row, selected);
        },
        this);
    diskBox->setObjectName(QStringLiteral("ComboBox1"));
    diskBox->setGeometry(8, 24, 153, 24);

    chosenFolderEdit = new QLineEdit(this);
    chosenFolderEdit->setObjectName(QStringLiteral("Edit1"));
    chosenFolderEdit->setGeometry(168, 24, 161, 21);
    chosenFolderEdit->setReadOnly(true);

    folderList = new QListWidget(this);
    folderList->setObjectName(QStringLiteral("ListBox1"));
    folderList->setGeometry(8, 56, 321, 217);
    folderList->setSelectionMode(QAbstractItemView::SingleSelection);
    folderList->setUniformItemSizes(true);
    folderList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    folderList->setFont(PixelFont(QStringLiteral("Arial"), 11));
    folderList->setItemDelegate(new OwnerDrawDelegate(
        16,
        [this](QPainter* painter, const QRect& rect, int row, bool selected) {
            drawFolderRow(painter, rect, row, selected);
        },
        folderList));

    cancelButton = MakeButton(this, "Button2", QStringLiteral("Anuluj"), QRect(8, 288, 113, 25));
    okButton = MakeButton(this, "Button1", QStringLiteral("OK"), QRect(216, 288, 115, 25));

    optionsGroup = new QGroupBox(QStringLiteral("Opcje :"), this);
    optionsGroup->setObjectName(QStringLiteral("GroupBox1"));
    optionsGroup->setGeometry(16, 320, 313, 73);
    // The caption sits in the frame's top line, so the check boxes at 16
    // pixels from the top stand inside the frame.
    optionsGroup->setStyleSheet(QStringLiteral(
        "QGroupBox#GroupBox1 { border: 1px solid palette(mid); margin-top: 6px; }"
        "QGroupBox#GroupBox1::title { subcontrol-origin: margin; subcontrol-position: top left;"
        " left: 7px; padding: 0px 2px; }"));
    recursiveBox = MakeCheckBox(optionsGroup, "CheckBox1", QStringLiteral("rekurencyjnie"),
                                QRect(16, 16, 97, 17), false);
    addFilesBox =
        MakeCheckBox(optionsGroup, "CheckBox3", QStringLiteral("dodaj pliki"), QRect(160, 16, 97, 17), true);
    addFoldersBox = MakeCheckBox(optionsGroup, "CheckBox2", QStringLiteral("dodaj katalogi"),
                                 QRect(160, 40, 105, 17), false);

    // A list box of Qt's is heard by its chosen item; what it chooses is its description.
    diskBox->setAccessibleName(QStringLiteral("Dysk"));
    diskBox->setAccessibleDescription(QStringLiteral("Dysk"));
    chosenFolderEdit->setAccessibleName(QStringLiteral("Wybrany katalog"));
    folderList->setAccessibleName(QStringLiteral("Katalogi"));
    folderList->setAccessibleDescription(
        QStringLiteral("Enter wchodzi do katalogu, Backspace przechodzi wyżej, litery szukają nazwy"));
    folderList->installEventFilter(this);

    setTabOrder(diskBox, recursiveBox);
    setTabOrder(recursiveBox, addFoldersBox);
    setTabOrder(addFoldersBox, addFilesBox);
    setTabOrder(addFilesBox, okButton);
    setTabOrder(okButton, cancelButton);
    setTabOrder(cancelButton, chosenFolderEdit);
    setTabOrder(chosenFolderEdit, folderList);
    diskBox->setFocus();

    // `activated` comes from the user only: choosing the drive that matches
    // the starting folder below must not move to that drive's root.
    connect(diskBox, &QComboBox::activated, this, &FolderChooser::diskChosen);
    connect(folderList, &QListWidget::itemSelectionChanged, this, &FolderChooser::folderClicked);
    connect(folderList, &QListWidget::itemDoubleClicked, this, &FolderChooser::folderDoubleClicked);
    connect(okButton, &QPushButton::clicked, this, &FolderChooser::okClicked);
    connect(cancelButton, &QPushButton::clicked, this, &FolderChooser::cancelClicked);

    startInProcessFolder();
    centreOverParent();
}

void FolderChooser::startInProcessFolder() {
    disks_ = kestrix::platform::LocalDisks();
    for (const kestrix::platform::LocalDisk& disk : disks_) diskBox->addItem(Shown(disk.root));

    currentFolder_ = ProcessFolder();
    rebuildFolderList(currentFolder_);

    // The disk that holds the folder; none when it lies on a file system
    // that is not listed (removable, network, memory).
    const std::string root =
        WithTrailingSlash(QFile::encodeName(QStorageInfo(Shown(currentFolder_)).rootPath()).toStdString());
    int selected = -1;
    for (size_t i = 0; i < disks_.size(); ++i) {
        if (disks_[i].root == root) selected = static_cast<int>(i);
    }
    diskBox->setCurrentIndex(selected);

    showChosenFolder(currentFolder_);
}

void FolderChooser::showChosenFolder(const std::string& folder) {
    chosenFolder_ = folder;
    chosenFolderEdit->setText(Shown(folder));
    chosenFolderEdit->setToolTip(chosenFolderEdit->text());
}

void FolderChooser::rebuildFolderList(const std::string& folder) {
    folderList->clear();
    fillFolderList(folder);
    auto* parentRow = new QListWidgetItem(QStringLiteral(".."));
    parentRow->setData(Qt::UserRole, QByteArray(".."));
    folderList->insertItem(0, parentRow);
    folderList->setCurrentRow(0);
}

void FolderChooser::fillFolderList(const std::string& folder) {
    // Listed case-insensitively sorted, hidden folders included.
    for (const kestrix::platform::FolderItem& item : kestrix::platform::ListFolder(folder)) {
        if (!item.isFolder) continue;
        auto* row = new QListWidgetItem(Shown(item.name));
        row->setData(Qt::UserRole, QByteArray::fromStdString(item.name));
        folderList->addItem(row);
    }
}

std::string FolderChooser::folderRowName(int row) const {
    const QListWidgetItem* item = folderList->item(row);
    return item ? item->data(Qt::UserRole).toByteArray().toStdString() : std::string();
}

int FolderChooser::selectedFolderRow() const {
    const QList<QListWidgetItem*> selected = folderList->selectedItems();
    return selected.isEmpty() ? -1 : folderList->row(selected.first());
}

void FolderChooser::diskChosen() {
    const int index = diskBox->currentIndex();
    if (index < 0 || index >= static_cast<int>(disks_.size())) return;
    currentFolder_ = disks_[static_cast<size_t>(index)].root;
    kestrix::platform::SetCurrentFolder(currentFolder_);
    showChosenFolder(currentFolder_);
    rebuildFolderList(currentFolder_);
}

void FolderChooser::folderClicked() {
    const int row = selectedFolderRow();
    if (row < 0) return;
    // A subfolder becomes the chosen folder without being entered.
    showChosenFolder(row >= 1 ? currentFolder_ + folderRowName(row) + "/" : currentFolder_);
}

void FolderChooser::folderDoubleClicked() { enterFolderRow(selectedFolderRow()); }

void FolderChooser::enterFolderRow(int row) {
    if (row < 0) return;
    // The system resolves "..", stays at "/" above the root, and refuses a
    // folder that cannot be entered; the chooser follows what it reports.
    kestrix::platform::SetCurrentFolder(currentFolder_ + folderRowName(row) + "/");
    currentFolder_ = ProcessFolder();
    showChosenFolder(currentFolder_);
    rebuildFolderList(currentFolder_);
}

void FolderChooser::okClicked() {
    if (!addFoldersBox->isChecked() && !addFilesBox->isChecked()) {
        kestrix::ui::ShowMessage(this, QMessageBox::Warning, QStringLiteral("Informacja"),
                                 QStringLiteral("Nie zaznaczono co dodać do listy"), QMessageBox::Ok);
        return;
    }
    leftOut_ = session_.addFolderContents(chosenFolder_, {.recurse = recursiveBox->isChecked(),
                                                          .folders = addFoldersBox->isChecked(),
                                                          .files = addFilesBox->isChecked()});
    accept();
}

void FolderChooser::cancelClicked() { reject(); }

void FolderChooser::drawDiskRow(QPainter* painter, const QRect& rect, int index, bool selected) {
    if (index < 0 || index >= static_cast<int>(disks_.size())) return;
    const kestrix::platform::LocalDisk& disk = disks_[static_cast<size_t>(index)];
    const QString root = Shown(disk.root);
    DrawRow(painter, rect, selected, diskBox->palette().color(QPalette::Base), icons_.icon(QFileInfo(root)),
            root + QStringLiteral(" (") + QString::fromUtf8(disk.label) + QStringLiteral(")"),
            diskBox->font());
}

void FolderChooser::drawFolderRow(QPainter* painter, const QRect& rect, int index, bool selected) {
    const QListWidgetItem* item = folderList->item(index);
    if (!item) return;
    const std::string path = index == 0 ? currentFolder_ : currentFolder_ + folderRowName(index);
    DrawRow(painter, rect, selected, folderList->palette().color(QPalette::Base),
            icons_.icon(QFileInfo(Shown(path))), item->text(), folderList->font());
}

void FolderChooser::centreOverParent() {
    const QWidget* owner = parentWidget();
    if (!owner || !owner->isVisible()) return;
    // Placed before it first appears, so the position is that of its frame;
    // the chooser's own frame is not known yet, and the frame of the window
    // it stands over, drawn by the same desktop, stands for it.
    const QRect main = owner->frameGeometry();
    const QSize outer = size() + (main.size() - owner->geometry().size());
    move(main.x() + (main.width() - outer.width()) / 2, main.y() + (main.height() - outer.height()) / 2);
}

// In the folder list Return enters the folder under the cursor and Backspace
// goes up; typing a name's first letters is the list's own search.
bool FolderChooser::eventFilter(QObject* watched, QEvent* event) {
    if (watched == folderList && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier) {
            switch (key->key()) {
                case Qt::Key_Return:
                case Qt::Key_Enter:
                    enterFolderRow(folderList->currentRow());
                    return true;
                case Qt::Key_Backspace:
                    enterFolderRow(0);
                    return true;
                default:
                    break;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void FolderChooser::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            event->accept();  // neither closes the chooser nor presses a button
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}
