#include "folderchooser/form3.h"

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

#include "app/dialogs.h"
#include "app/form1.h"
#include "folderchooser/drive_combo_box.h"
#include "folderchooser/owner_draw_delegate.h"
#include "platform/folders.h"

TForm3* Form3 = nullptr;

namespace {

constexpr int kIconSize = 16;  // small icons; the row text starts 6 pixels after them
const QColor kSelectedRow(215, 234, 255);

QFont PixelFont(const QString& family, int pixels) {
    QFont font(family);
    font.setPixelSize(pixels);
    return font;
}

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

TForm3::TForm3(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Wybierz katalog z plikami"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(347, 407);
    setFont(PixelFont(QStringLiteral("MS Sans Serif"), 11));

    Label1 = new QLabel(QStringLiteral("Wybrany katalog : "), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(168, 8, 89, 13);
    // The caption sizes itself to its text, whatever the font resolves to.
    Label1->ensurePolished();
    Label1->resize(Label1->sizeHint().expandedTo(Label1->size()));

    ComboBox1 = new DriveComboBox(
        18,
        [this](QPainter* painter, const QRect& rect, int row, bool selected) {
            ComboBox1DrawItem(painter, rect, row, selected);
        },
        this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setGeometry(8, 24, 153, 24);

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(168, 24, 161, 21);
    Edit1->setReadOnly(true);

    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setGeometry(8, 56, 321, 217);
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox1->setUniformItemSizes(true);
    ListBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ListBox1->setFont(PixelFont(QStringLiteral("Arial"), 11));
    ListBox1->setItemDelegate(new OwnerDrawDelegate(
        16,
        [this](QPainter* painter, const QRect& rect, int row, bool selected) {
            ListBox1DrawItem(painter, rect, row, selected);
        },
        ListBox1));

    Button2 = MakeButton(this, "Button2", QStringLiteral("Anuluj"), QRect(8, 288, 113, 25));
    Button1 = MakeButton(this, "Button1", QStringLiteral("OK"), QRect(216, 288, 115, 25));

    GroupBox1 = new QGroupBox(QStringLiteral("Opcje :"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(16, 320, 313, 73);
    // The caption sits in the frame's top line, so the check boxes at 16
    // pixels from the top stand inside the frame.
    GroupBox1->setStyleSheet(QStringLiteral(
        "QGroupBox#GroupBox1 { border: 1px solid palette(mid); margin-top: 6px; }"
        "QGroupBox#GroupBox1::title { subcontrol-origin: margin; subcontrol-position: top left;"
        " left: 7px; padding: 0px 2px; }"));
    CheckBox1 =
        MakeCheckBox(GroupBox1, "CheckBox1", QStringLiteral("rekurencyjnie"), QRect(16, 16, 97, 17), false);
    CheckBox3 =
        MakeCheckBox(GroupBox1, "CheckBox3", QStringLiteral("dodaj pliki"), QRect(160, 16, 97, 17), true);
    CheckBox2 = MakeCheckBox(GroupBox1, "CheckBox2", QStringLiteral("dodaj katalogi"),
                             QRect(160, 40, 105, 17), false);

    setTabOrder(ComboBox1, CheckBox1);
    setTabOrder(CheckBox1, CheckBox2);
    setTabOrder(CheckBox2, CheckBox3);
    setTabOrder(CheckBox3, Button1);
    setTabOrder(Button1, Button2);
    setTabOrder(Button2, Edit1);
    setTabOrder(Edit1, ListBox1);
    ComboBox1->setFocus();

    // `activated` comes from the user only: choosing the drive that matches
    // the starting folder below must not move to that drive's root.
    connect(ComboBox1, &QComboBox::activated, this, &TForm3::ComboBox1Change);
    connect(ListBox1, &QListWidget::itemSelectionChanged, this, &TForm3::ListBox1Click);
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, &TForm3::ListBox1DblClick);
    connect(Button1, &QPushButton::clicked, this, &TForm3::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm3::Button2Click);

    FormCreate();
    CentreOverMainWindow();
}

void TForm3::FormCreate() {
    disks_ = kestrix::platform::LocalDisks();
    for (const kestrix::platform::LocalDisk& disk : disks_) ComboBox1->addItem(Shown(disk.root));

    CurrentFolder = ProcessFolder();
    RebuildFolderList(CurrentFolder);

    // The disk that holds the folder; none when it lies on a file system
    // that is not listed (removable, network, memory).
    const std::string root =
        WithTrailingSlash(QFile::encodeName(QStorageInfo(Shown(CurrentFolder)).rootPath()).toStdString());
    int selected = -1;
    for (size_t i = 0; i < disks_.size(); ++i) {
        if (disks_[i].root == root) selected = static_cast<int>(i);
    }
    ComboBox1->setCurrentIndex(selected);

    ShowChosenFolder(CurrentFolder);
}

void TForm3::ShowChosenFolder(const std::string& folder) {
    chosenFolder_ = folder;
    Edit1->setText(Shown(folder));
    Edit1->setToolTip(Edit1->text());
}

void TForm3::RebuildFolderList(const std::string& folder) {
    ListBox1->clear();
    FillFolderList(folder);
    auto* parentRow = new QListWidgetItem(QStringLiteral(".."));
    parentRow->setData(Qt::UserRole, QByteArray(".."));
    ListBox1->insertItem(0, parentRow);
    ListBox1->setCurrentRow(0);
}

void TForm3::FillFolderList(const std::string& folder) {
    // Listed case-insensitively sorted, hidden folders included.
    for (const kestrix::platform::FolderItem& item : kestrix::platform::ListFolder(folder)) {
        if (!item.isFolder) continue;
        auto* row = new QListWidgetItem(Shown(item.name));
        row->setData(Qt::UserRole, QByteArray::fromStdString(item.name));
        ListBox1->addItem(row);
    }
}

std::string TForm3::folderRowName(int row) const {
    const QListWidgetItem* item = ListBox1->item(row);
    return item ? item->data(Qt::UserRole).toByteArray().toStdString() : std::string();
}

int TForm3::selectedFolderRow() const {
    const QList<QListWidgetItem*> selected = ListBox1->selectedItems();
    return selected.isEmpty() ? -1 : ListBox1->row(selected.first());
}

void TForm3::ComboBox1Change() {
    const int index = ComboBox1->currentIndex();
    if (index < 0 || index >= static_cast<int>(disks_.size())) return;
    CurrentFolder = disks_[static_cast<size_t>(index)].root;
    kestrix::platform::SetCurrentFolder(CurrentFolder);
    ShowChosenFolder(CurrentFolder);
    RebuildFolderList(CurrentFolder);
}

void TForm3::ListBox1Click() {
    const int row = selectedFolderRow();
    if (row < 0) return;
    // A subfolder becomes the chosen folder without being entered.
    ShowChosenFolder(row >= 1 ? CurrentFolder + folderRowName(row) + "/" : CurrentFolder);
}

void TForm3::ListBox1DblClick() {
    const int row = selectedFolderRow();
    if (row < 0) return;
    // The system resolves "..", stays at "/" above the root, and refuses a
    // folder that cannot be entered; the chooser follows what it reports.
    kestrix::platform::SetCurrentFolder(CurrentFolder + folderRowName(row) + "/");
    CurrentFolder = ProcessFolder();
    ShowChosenFolder(CurrentFolder);
    RebuildFolderList(CurrentFolder);
}

void TForm3::Button1Click() {
    if (!CheckBox2->isChecked() && !CheckBox3->isChecked()) {
        kestrix::ui::showMessage(this, QMessageBox::Warning, QStringLiteral("Informacja"),
                                 QStringLiteral("Nie zaznaczono co dodać do listy"), QMessageBox::Ok);
        return;
    }
    if (Form1) {
        Form1->RecurseFolders = CheckBox1->isChecked();
        Form1->AddFolders = CheckBox2->isChecked();
        Form1->AddFiles = CheckBox3->isChecked();
        Form1->AddFolderContents(chosenFolder_);
    }
    accept();
}

void TForm3::Button2Click() { reject(); }

void TForm3::ComboBox1DrawItem(QPainter* painter, const QRect& rect, int index, bool selected) {
    if (index < 0 || index >= static_cast<int>(disks_.size())) return;
    const kestrix::platform::LocalDisk& disk = disks_[static_cast<size_t>(index)];
    const QString root = Shown(disk.root);
    DrawRow(
        painter, rect, selected, ComboBox1->palette().color(QPalette::Base), ImageList1.icon(QFileInfo(root)),
        root + QStringLiteral(" (") + QString::fromUtf8(disk.label) + QStringLiteral(")"), ComboBox1->font());
}

void TForm3::ListBox1DrawItem(QPainter* painter, const QRect& rect, int index, bool selected) {
    const QListWidgetItem* item = ListBox1->item(index);
    if (!item) return;
    const std::string path = index == 0 ? CurrentFolder : CurrentFolder + folderRowName(index);
    DrawRow(painter, rect, selected, ListBox1->palette().color(QPalette::Base),
            ImageList1.icon(QFileInfo(Shown(path))), item->text(), ListBox1->font());
}

void TForm3::CentreOverMainWindow() {
    if (!Form1 || !Form1->isVisible()) return;
    // Placed before it first appears, so the position is that of its frame;
    // the chooser's own frame is not known yet, and the main window's frame,
    // drawn by the same desktop, stands for it.
    const QRect main = Form1->frameGeometry();
    const QSize outer = size() + (main.size() - Form1->geometry().size());
    move(main.x() + (main.width() - outer.width()) / 2, main.y() + (main.height() - outer.height()) / 2);
}

void TForm3::keyPressEvent(QKeyEvent* event) {
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
