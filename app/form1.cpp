#include "app/form1.h"

#include <QAction>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QSplitter>
#include <QStandardItemModel>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "about/form2.h"
#include "app/cgauge.h"
#include "app/uri_list.h"
#include "engine/name_transform.h"
#include "filelist/file_list_delegate.h"
#include "filelist/file_list_model.h"
#include "options/form4.h"

TForm1* Form1 = nullptr;

namespace {

constexpr int DesignedClientWidth = 632;
constexpr int DesignedClientHeight = 507;

// Sizes in pixels keep the designed geometry. "MS Sans Serif" has no
// metric twin on Linux; an Arial-metric face keeps captions at their widths.
QFont PixelFont(const QString& family, int pixels) {
    QFont font(family);
    if (family == QLatin1String("MS Sans Serif")) {
        font.setFamilies({family, QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    }
    font.setPixelSize(pixels);
    return font;
}

QToolButton* MakeToolButton(QWidget* parent, const char* name, const char* icon, const QString& hint) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setIcon(QIcon(QStringLiteral(":/icons/") + QLatin1String(icon) + QStringLiteral(".svg")));
    button->setIconSize(QSize(48, 48));
    button->setFixedSize(60, 60);
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setToolTip(hint);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QWidget* MakeSeparator(QWidget* parent, const char* name, int width) {
    auto* separator = new QWidget(parent);
    separator->setObjectName(QLatin1String(name));
    separator->setFixedSize(width, 60);
    return separator;
}

}  // namespace

TForm1::TForm1(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Kestrix (małe/duże itp) v2.0.5"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/kestrix.svg")));
    setFont(PixelFont(QStringLiteral("MS Sans Serif"), 11));
    setAcceptDrops(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildToolBar();
    layout->addWidget(ToolBar1);
    buildPanels();
    layout->addWidget(Splitter2, 1);
    buildPopupMenu();

    resize(DesignedClientWidth, DesignedClientHeight);
    // The smallest outer size is 640 x 541; until the frame is known the
    // designed client size stands for it.
    setMinimumSize(DesignedClientWidth, DesignedClientHeight);

    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::buildToolBar() {
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setFixedHeight(60);
    ToolBar1->setIconSize(QSize(48, 48));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setContentsMargins(0, 0, 0, 0);
    ToolBar1->layout()->setContentsMargins(0, 0, 0, 0);
    ToolBar1->layout()->setSpacing(0);
    ToolBar1->setStyleSheet(QStringLiteral(
        "QToolBar#ToolBar1 { border: none; padding: 0px; spacing: 0px;"
        " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fdfdfe, stop:0.55 #e6ebf2,"
        " stop:1 #cdd6e3); }"));

    ToolBar1->addWidget(MakeSeparator(ToolBar1, "ToolButton14", 8));
    ToolButton1 = MakeToolButton(ToolBar1, "ToolButton1", "toolbar-add-files", QStringLiteral("Dodaj pliki do listy"));
    ToolButton2 = MakeToolButton(ToolBar1, "ToolButton2", "toolbar-add-folder",
                                 QStringLiteral("Dodaj pliki z wybranego katalogu"));
    ToolButton3 = MakeToolButton(ToolBar1, "ToolButton3", "toolbar-options",
                                 QStringLiteral("Jakie zmiany nazw zastosować"));
    ToolButton4 = MakeToolButton(ToolBar1, "ToolButton4", "toolbar-apply", QStringLiteral("Zmień nazwy plików"));
    ToolButton5 = MakeToolButton(ToolBar1, "ToolButton5", "toolbar-clear", QStringLiteral("Wyczyść listę"));
    ToolButton6 = MakeToolButton(ToolBar1, "ToolButton6", "toolbar-about", QStringLiteral("Informacje o programie"));
    ToolButton7 = MakeToolButton(ToolBar1, "ToolButton7", "toolbar-close", QStringLiteral("Zamknij program"));
    for (QToolButton* button :
         {ToolButton1, ToolButton2, ToolButton3, ToolButton4, ToolButton5, ToolButton6, ToolButton7}) {
        ToolBar1->addWidget(button);
    }
    ToolButton4->setEnabled(false);
    ToolBar1->addWidget(MakeSeparator(ToolBar1, "ToolButton15", 32));

    // The gauge sits in a holder of its own size, so showing and hiding it
    // never moves the buttons.
    auto* gaugeHolder = new QWidget(ToolBar1);
    gaugeHolder->setFixedSize(89, 60);
    CGauge1 = new TCGauge(gaugeHolder);
    CGauge1->setObjectName(QStringLiteral("CGauge1"));
    CGauge1->setGeometry(0, 0, 89, 60);
    CGauge1->hide();
    ToolBar1->addWidget(gaugeHolder);

    connect(ToolButton1, &QToolButton::clicked, this, &TForm1::ToolButton1Click);
    connect(ToolButton2, &QToolButton::clicked, this, &TForm1::ToolButton2Click);
    connect(ToolButton3, &QToolButton::clicked, this, &TForm1::ToolButton3Click);
    connect(ToolButton4, &QToolButton::clicked, this, &TForm1::ToolButton4Click);
    connect(ToolButton5, &QToolButton::clicked, this, &TForm1::ToolButton5Click);
    connect(ToolButton6, &QToolButton::clicked, this, &TForm1::ToolButton6Click);
    connect(ToolButton7, &QToolButton::clicked, this, &TForm1::ToolButton7Click);
}

void TForm1::buildPanels() {
    Splitter2 = new QSplitter(Qt::Vertical, this);
    Splitter2->setObjectName(QStringLiteral("Splitter2"));
    Splitter2->setHandleWidth(3);
    Splitter2->setChildrenCollapsible(false);

    Panel4 = new QWidget(Splitter2);
    Panel4->setObjectName(QStringLiteral("Panel4"));
    auto* previewLayout = new QVBoxLayout(Panel4);
    previewLayout->setContentsMargins(0, 0, 0, 0);
    previewLayout->setSpacing(0);
    Label1 = new QLabel(QStringLiteral("Podgląd wybranych zmian w nazwach :"), Panel4);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    previewLayout->addWidget(Label1);
    ListBox3 = new QListWidget(Panel4);
    ListBox3->setObjectName(QStringLiteral("ListBox3"));
    ListBox3->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox3->setUniformItemSizes(true);
    ListBox3->setFont(PixelFont(QStringLiteral("Verdana"), 11));
    ListBox3->setItemDelegate(new SummaryDelegate(ListBox3));
    ListBox3->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette summaryPalette = ListBox3->palette();
    summaryPalette.setColor(QPalette::Base, Qt::white);
    summaryPalette.setColor(QPalette::Text, Qt::black);
    ListBox3->setPalette(summaryPalette);
    previewLayout->addWidget(ListBox3, 1);

    Panel1 = new QWidget(Splitter2);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    auto* listLayout = new QVBoxLayout(Panel1);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->setSpacing(0);

    headerModel_ = new QStandardItemModel(0, 2, this);
    headerModel_->setHorizontalHeaderLabels(
        {QStringLiteral("Oryginalne nazwy plików:"), QStringLiteral("Nazwy po wprowadzonych zmianach:")});
    HeaderControl1 = new QHeaderView(Qt::Horizontal, Panel1);
    HeaderControl1->setObjectName(QStringLiteral("HeaderControl1"));
    HeaderControl1->setModel(headerModel_);
    HeaderControl1->setFixedHeight(17);
    HeaderControl1->setSectionsClickable(false);
    HeaderControl1->setSectionsMovable(false);
    HeaderControl1->setStretchLastSection(true);
    HeaderControl1->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    HeaderControl1->setMinimumSectionSize(0);
    HeaderControl1->resizeSection(0, 250);
    listLayout->addWidget(HeaderControl1);

    fileList_ = new FileListModel(this);
    fileListDelegate_ = new FileListDelegate([this] { return columnSplit(); }, this);
    ListBox1 = new QListView(Panel1);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setModel(fileList_);
    ListBox1->setItemDelegate(fileListDelegate_);
    ListBox1->setUniformItemSizes(true);
    ListBox1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ListBox1->setFont(PixelFont(QStringLiteral("Courier New"), 11));
    ListBox1->setContextMenuPolicy(Qt::CustomContextMenu);
    QPalette listPalette = ListBox1->palette();
    listPalette.setColor(QPalette::Base, QColor(255, 255, 251));
    listPalette.setColor(QPalette::Text, Qt::black);
    ListBox1->setPalette(listPalette);
    listLayout->addWidget(ListBox1, 1);

    connect(HeaderControl1, &QHeaderView::sectionResized, this, [this] { HeaderControl1SectionResize(); });

    Splitter2->addWidget(Panel4);
    Splitter2->addWidget(Panel1);
    Splitter2->setStretchFactor(0, 0);
    Splitter2->setStretchFactor(1, 1);
    Splitter2->setSizes({124, DesignedClientHeight - 60 - 124 - 3});
}

void TForm1::buildPopupMenu() {
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    auto makeItem = [this](const char* name, const QString& caption, const char* icon, const QKeySequence& key) {
        auto* action = new QAction(caption, this);
        action->setObjectName(QLatin1String(name));
        if (icon) action->setIcon(QIcon(QStringLiteral(":/icons/") + QLatin1String(icon) + QStringLiteral(".svg")));
        if (!key.isEmpty()) {
            action->setShortcut(key);
            // The shortcuts act while the file list has the keyboard focus.
            action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            ListBox1->addAction(action);
        }
        return action;
    };
    Przesudogry1 = makeItem("Przesudogry1", QStringLiteral("Przesuń do góry"), "menu-up", QKeySequence(Qt::CTRL | Qt::Key_Q));
    Przesuwd1 = makeItem("Przesuwd1", QStringLiteral("Przesuń w dół"), "menu-down", QKeySequence(Qt::CTRL | Qt::Key_W));
    Usu1 = makeItem("Usu1", QStringLiteral("Usuń zaznaczone pliki z listy"), "menu-remove", QKeySequence(Qt::Key_Delete));
    Cofnij1 = makeItem("Cofnij1", QStringLiteral("Cofnij ostatnią zmianę nazw"), nullptr, QKeySequence(Qt::CTRL | Qt::Key_Z));
    PopupMenu1->addAction(Przesudogry1);
    PopupMenu1->addAction(Przesuwd1);
    PopupMenu1->addAction(Usu1);
    PopupMenu1->addAction(Cofnij1);
    N1 = PopupMenu1->addSeparator();
    N1->setObjectName(QStringLiteral("N1"));
    Widok1 = PopupMenu1->addMenu(QStringLiteral("Widok"));
    Widok1->setObjectName(QStringLiteral("Widok1"));
    Widok1->menuAction()->setObjectName(QStringLiteral("Widok1"));
    ciekaNazwa1 = makeItem("ciekaNazwa1", QStringLiteral("Ścieżka + Nazwa pliku"), nullptr, {});
    Nazwa1 = makeItem("Nazwa1", QStringLiteral("Nazwa pliku"), nullptr, {});
    ciekaNazwa1->setCheckable(true);
    Nazwa1->setCheckable(true);
    ciekaNazwa1->setChecked(true);
    Widok1->addAction(ciekaNazwa1);
    Widok1->addAction(Nazwa1);

    // Qt toggles a checkable item's mark before `triggered`, as the handlers expect.
    connect(Przesudogry1, &QAction::triggered, this, &TForm1::Przesudogry1Click);
    connect(Przesuwd1, &QAction::triggered, this, &TForm1::Przesuwd1Click);
    connect(Usu1, &QAction::triggered, this, &TForm1::Usu1Click);
    connect(Cofnij1, &QAction::triggered, this, &TForm1::Cofnij1Click);
    UpdateUndoItem();
    connect(ciekaNazwa1, &QAction::triggered, this, &TForm1::ciekaNazwa1Click);
    connect(Nazwa1, &QAction::triggered, this, &TForm1::Nazwa1Click);
    connect(ListBox1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { PopupMenu1->popup(ListBox1->viewport()->mapToGlobal(pos)); });
}

void TForm1::FormCreate() {
    RecurseFolders = false;
    AddFolders = false;
    AddFiles = false;
    NumberAscending = true;
    LoadSettings();
}

int TForm1::entryCount() const { return fileList_->count(); }

void TForm1::setListViewMode(int mode) {
    viewMode_ = mode;
    fileListDelegate_->setViewMode(mode);
    ListBox1->viewport()->update();
}

int TForm1::columnSplit() const { return HeaderControl1->sectionSize(0); }

void TForm1::HeaderControl1SectionResize() { ListBox1->viewport()->update(); }

kestrix::RenameOptions TForm1::CurrentRenameOptions() const {
    kestrix::RenameOptions options = Form4 ? Form4->ReadRenameOptions() : kestrix::RenameOptions{};
    options.NumberAscending = NumberAscending;
    return options;
}

kestrix::ListEntry TForm1::BuildListEntry(const std::string& path, int index) const {
    return kestrix::TransformPath(path, index, entryCount(), kestrix::RenameRules::From(CurrentRenameOptions()).value());
}

std::string TForm1::ExtractTagText(const std::string& text, const std::string& tag) {
    return kestrix::ExtractTagText(text, tag);
}

void TForm1::UpdateRenameButton() { ToolButton4->setEnabled(entryCount() > 0); }

void TForm1::ToolButton3Click() {
    if (!Form4) return;
    Form4->show();
    Form4->raise();
    Form4->activateWindow();
}

void TForm1::ToolButton6Click() {
    // A fresh about window for every press, gone as soon as it closes.
    Form2 = new TForm2(this);
    Form2->exec();
    delete Form2;
    Form2 = nullptr;
}

void TForm1::ToolButton7Click() { close(); }

void TForm1::closeEvent(QCloseEvent* event) {
    SaveSettings();
    event->accept();
}

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    AdjustToFrame();
    if (!shownOnce_) {
        shownOnce_ = true;
        QMetaObject::invokeMethod(this, &TForm1::SettleInterruptedRuns, Qt::QueuedConnection);
    }
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

// The paths come from the list's raw bytes: through QUrl a name that is not
// UTF-8 would lose its bytes.
void TForm1::dropEvent(QDropEvent* event) {
    const std::vector<std::string> paths =
        kestrix::ui::DecodeUriList(event->mimeData()->data(QStringLiteral("text/uri-list")).toStdString());
    if (paths.empty()) return;
    event->acceptProposedAction();
    AddDroppedFilesLater(paths);
}

void TForm1::AddDroppedFilesLater(const std::vector<std::string>& paths) {
    QMetaObject::invokeMethod(this, [this, paths] { AddDroppedFiles(paths); }, Qt::QueuedConnection);
}
