#include "ui/main_window.h"

#include "ui/about_box.h"
#include "ui/combo_dialog.h"
#include "ui/contract_dialog.h"
#include "ui/help_pages.h"
#include "ui/help_window.h"
#include "ui/pictures.h"
#include "ui/progress_window.h"
#include "ui/report_view.h"
#include "ui/table_window.h"
#include "ui/tricks_needed_dialog.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace nvx {

namespace {

ReportView* MakeListView(QWidget* parent, const char* name) {
    auto* view = new ReportView(parent);
    view->setObjectName(name);
    return view;
}

QLabel* MakeHand(QWidget* parent, Qt::Alignment alignment, int width) {
    auto* hand = new QLabel(parent);
    QFont f = hand->font();
    f.setPixelSize(22);
    hand->setFont(f);
    hand->setTextFormat(Qt::RichText);
    hand->setAlignment(alignment | Qt::AlignVCenter);
    hand->setFixedSize(width, 34);
    hand->setEnabled(true);
    hand->setFocusPolicy(Qt::NoFocus);
    hand->setTextInteractionFlags(Qt::NoTextInteraction);
    return hand;
}

QToolButton* MakeStepButton(QWidget* parent, Glyph glyph, const char* name) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setIcon(GlyphIcon(glyph, 14));
    button->setIconSize(QSize(14, 14));
    button->setFixedSize(25, 25);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

// The line selector: its popup highlights the chosen line, or the first one
// while none is chosen, so that the keys start from a visible place.
class LineSelector : public QComboBox {
  public:
    using QComboBox::QComboBox;
    void showPopup() override {
        QComboBox::showPopup();
        const QModelIndex current = model()->index(std::max(0, currentIndex()), modelColumn());
        if (current.isValid())
            view()->selectionModel()->setCurrentIndex(current, QItemSelectionModel::ClearAndSelect);
    }
};

const char* StepHint(const QToolButton* button) {
    const QString name = button->objectName();
    if (name == "beginButton") return "Go to start of play";
    if (name == "backButton") return "Take back one card";
    if (name == "nextButton") return "Play one card";
    return "Go to end of play";
}

} // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Norvadex"));
    setWindowIcon(ProgramIcon());
    host_.SetWindow(this);

    // The summary, the results and the play panel on the left, the tricks table on the right.
    comboGroupBox_ = new QGroupBox(QStringLiteral("Suit Combination"));
    comboGroupBox_->setObjectName("comboGroupBox");
    comboLabel_ = new QLabel(comboGroupBox_);
    comboLabel_->setObjectName("comboLabel");
    comboLabel_->setTextFormat(Qt::RichText);
    comboLabel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The box grows with its lines, long ones wrapped.
    comboLabel_->setWordWrap(true);
    comboLabel_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    auto* comboLayout = new QVBoxLayout(comboGroupBox_);
    comboLayout->setContentsMargins(8, 6, 8, 6);
    comboLayout->addWidget(comboLabel_);
    // Three lines of summary, whatever they hold.
    comboLabel_->setMinimumHeight(comboLabel_->fontMetrics().lineSpacing() * 3 + 4);

    resultsGroupBox_ = new QGroupBox(QStringLiteral("Results"));
    resultsGroupBox_->setObjectName("resultsGroupBox");
    resultListView_ = MakeListView(resultsGroupBox_, "resultListView");
    auto* resultsLayout = new QVBoxLayout(resultsGroupBox_);
    resultsLayout->setContentsMargins(8, 6, 8, 8);
    resultsLayout->addWidget(resultListView_);
    // Room for the header and five rows (the goals, mp-best and max of a typical analysis).
    resultListView_->setMinimumHeight((resultListView_->fontMetrics().lineSpacing() + 5) * 6 + 6);

    playGroupBox_ = new QGroupBox(QStringLiteral("Play"));
    playGroupBox_->setObjectName("playGroupBox");
    BuildPlayPanel();

    tricksTableListView_ = MakeListView(nullptr, "tricksTableListView");

    auto* left = new QVBoxLayout;
    left->setSpacing(6);
    left->addWidget(comboGroupBox_, 0);
    left->addWidget(resultsGroupBox_, 1);
    left->addWidget(playGroupBox_, 0);

    auto* central = new QWidget(this);
    auto* layout = new QHBoxLayout(central);
    layout->setContentsMargins(8, 8, 12, 8);
    layout->setSpacing(20);
    layout->addLayout(left, 0);
    layout->addWidget(tricksTableListView_, 1);
    setCentralWidget(central);

    const int leftWidth = std::max(401, playGroupBox_->sizeHint().width());
    comboGroupBox_->setFixedWidth(leftWidth);
    resultsGroupBox_->setFixedWidth(leftWidth);
    playGroupBox_->setFixedWidth(leftWidth);
    playGroupBox_->setFixedHeight(std::max(220, playGroupBox_->sizeHint().height()));
    tricksTableListView_->setMinimumWidth(300);

    BuildMenu();
    SetResultActionsEnabled(false);

    // The windows the flow and the menu use; only the main window is shown.
    tricksNeeded_ = new TricksNeededDialog(host_, this);
    contract_ = new ContractDialog(host_, *tricksNeeded_, this);
    combo_ = new ComboDialog(host_, *contract_, this);
    progress_ = new ProgressWindow(this);
    table_ = new TableWindow(this);
    payoffTable_ = new TableWindow(this);
    about_ = new AboutBox(host_, this);
    help_ = new HelpWindow(this);
    host_.SetProgressWindow(progress_);
    connect(this, &MainWindow::computationReturned, this, &MainWindow::FinishComputation,
            Qt::QueuedConnection);
    host_.SetPageViewer([this](const QUrl& page) { help_->ShowPage(page); });

    contractCopy_.reset();
    furthestPlay_.clear();
    ClearPlayPanel();
    sort_.SortSign = 1;
    sort_.SortColumn = 1000;

    // A client area of at least 854 x 447, more when the fonts need it; centred.
    const QSize client = central->minimumSizeHint().expandedTo(QSize(854, 447));
    resize(client.width(), client.height() + menuBar()->sizeHint().height());
    if (QScreen* screen = this->screen()) {
        const QRect available = screen->availableGeometry();
        move(available.center() - rect().center());
    }
}

MainWindow::~MainWindow() {
    closeWhenFinished_ = false; // it is going anyway
    StopComputation();
}

void MainWindow::SetAnalysis(ComboAnalysis* analysis) {
    if (analysis != analysis_) StopComputation();
    analysis_ = analysis;
}

QWidget* MainWindow::BuildPlayPanel() {
    QGroupBox* box = playGroupBox_;
    auto* lineLabel = new QLabel(QStringLiteral("Line:"), box);
    selectLineComboBox_ = new LineSelector(box);
    selectLineComboBox_->setObjectName("selectLineComboBox");
    selectLineComboBox_->setEditable(false);
    selectLineComboBox_->setMinimumWidth(56);
    selectLineComboBox_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    lineLabel->setBuddy(selectLineComboBox_);
    auto* playLabel = new QLabel(QStringLiteral("Play:"), box);
    playEdit_ = new QLineEdit(box);
    playEdit_->setObjectName("playEdit");
    playEdit_->setMinimumWidth(185);
    playLabel->setBuddy(playEdit_);

    auto* topRow = new QHBoxLayout;
    topRow->setSpacing(8);
    topRow->addSpacing(12);
    topRow->addWidget(lineLabel);
    topRow->addWidget(selectLineComboBox_);
    topRow->addSpacing(24);
    topRow->addWidget(playLabel);
    topRow->addWidget(playEdit_, 1);

    tricksLabel_ = new QLabel(box);
    tricksLabel_->setObjectName("tricksLabel");
    tricksLabel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    tricksLabel_->setMinimumHeight(tricksLabel_->fontMetrics().lineSpacing() * 2 + 2);
    tricksLabel_->setMinimumWidth(
        tricksLabel_->fontMetrics().horizontalAdvance(QStringLiteral("NS: 13; EW: 13")) + 4);

    northHand_ = MakeHand(box, Qt::AlignHCenter, 176);
    southHand_ = MakeHand(box, Qt::AlignHCenter, 176);
    westHand_ = MakeHand(box, Qt::AlignRight, 150);
    eastHand_ = MakeHand(box, Qt::AlignLeft, 150);
    northHand_->setObjectName("northHand");
    southHand_->setObjectName("southHand");
    westHand_->setObjectName("westHand");
    eastHand_->setObjectName("eastHand");

    // The current trick around a small table.
    auto* tablePanel = new QFrame(box);
    tablePanel->setObjectName("tablePanel");
    tablePanel->setFrameShape(QFrame::StyledPanel);
    tablePanel->setFrameShadow(QFrame::Raised);
    QFont trickFont = tablePanel->font();
    trickFont.setPixelSize(20);
    const QFontMetrics trickMetrics(trickFont);
    const int cell =
        std::max(trickMetrics.horizontalAdvance(QLatin1Char('W')), trickMetrics.height());
    tablePanel->setFixedSize(3 * cell + 10, 3 * cell + 10);
    auto makeTrickCard = [tablePanel, trickFont, cell](const char* name) {
        auto* label = new QLabel(tablePanel);
        label->setObjectName(name);
        label->setAlignment(Qt::AlignCenter);
        label->setFont(trickFont);
        label->setFixedSize(cell, cell);
        return label;
    };
    northCardInTrickLabel_ = makeTrickCard("northCardInTrickLabel");
    eastCardInTrickLabel_ = makeTrickCard("eastCardInTrickLabel");
    southCardInTrickLabel_ = makeTrickCard("southCardInTrickLabel");
    westCardInTrickLabel_ = makeTrickCard("westCardInTrickLabel");
    auto* trickGrid = new QGridLayout(tablePanel);
    trickGrid->setContentsMargins(3, 3, 3, 3);
    trickGrid->setSpacing(0);
    trickGrid->addWidget(northCardInTrickLabel_, 0, 1);
    trickGrid->addWidget(westCardInTrickLabel_, 1, 0);
    trickGrid->addWidget(eastCardInTrickLabel_, 1, 2);
    trickGrid->addWidget(southCardInTrickLabel_, 2, 1);

    beginButton_ = MakeStepButton(box, Glyph::First, "beginButton");
    backButton_ = MakeStepButton(box, Glyph::Back, "backButton");
    nextButton_ = MakeStepButton(box, Glyph::Next, "nextButton");
    endButton_ = MakeStepButton(box, Glyph::Last, "endButton");
    auto* steps = new QHBoxLayout;
    steps->setSpacing(1);
    steps->addStretch(1);
    for (QToolButton* b : {beginButton_, backButton_, nextButton_, endButton_})
        steps->addWidget(b);

    auto* compass = new QGridLayout;
    compass->setHorizontalSpacing(4);
    compass->setVerticalSpacing(2);
    compass->addWidget(tricksLabel_, 0, 0, Qt::AlignLeft | Qt::AlignTop);
    compass->addWidget(northHand_, 0, 1, Qt::AlignHCenter);
    compass->addWidget(westHand_, 1, 0, Qt::AlignRight | Qt::AlignVCenter);
    compass->addWidget(tablePanel, 1, 1, Qt::AlignCenter);
    compass->addWidget(eastHand_, 1, 2, Qt::AlignLeft | Qt::AlignVCenter);
    compass->addWidget(southHand_, 2, 1, Qt::AlignHCenter);
    compass->addLayout(steps, 2, 2, Qt::AlignRight | Qt::AlignBottom);
    compass->setColumnStretch(0, 1);
    compass->setColumnStretch(2, 1);

    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(6, 8, 6, 6);
    layout->setSpacing(6);
    layout->addLayout(topRow);
    layout->addLayout(compass);
    return box;
}

void MainWindow::BuildMenu() {
    fileMenu_ = menuBar()->addMenu(QStringLiteral("&File"));
    saveResultsAction_ = fileMenu_->addAction(QStringLiteral("&Save Results As ..."));
    saveResultsAction_->setShortcut(QKeySequence::Save);
    printPreviewAction_ = fileMenu_->addAction(QStringLiteral("Print Pre&view ..."));
    printAction_ = fileMenu_->addAction(QStringLiteral("&Print ..."));
    printAction_->setShortcut(QKeySequence::Print);
    fileMenu_->addSeparator();
    quitAction_ = fileMenu_->addAction(QStringLiteral("&Quit"), this, &QWidget::close);
    quitAction_->setShortcut(
        QKeySequence(Qt::CTRL | Qt::Key_Q)); // no standard key on every platform
    combinationMenu_ = menuBar()->addMenu(QStringLiteral("&Suit Combination"));
    newAction_ =
        combinationMenu_->addAction(QStringLiteral("&New ..."), this, &MainWindow::NewCombination);
    newAction_->setShortcut(QKeySequence::New);
    changeAction_ = combinationMenu_->addAction(QStringLiteral("&Change ..."), this,
                                                &MainWindow::ChangeCombination);
    changeAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    recentMenu_ = combinationMenu_->addMenu(QStringLiteral("&Recent Combinations"));
    recentMenu_->setEnabled(false);
    analysisMenu_ = menuBar()->addMenu(QStringLiteral("&Analysis"));
    lineGoalTableAction_ = analysisMenu_->addAction(QStringLiteral("&Strat x Goal table ..."), this,
                                                    &MainWindow::ShowLineGoalTable);
    lineGoalTableAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    payoffTableAction_ = analysisMenu_->addAction(QStringLiteral("&Pay-off table ..."), this,
                                                  &MainWindow::ShowPayoffTable);
    payoffTableAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    homePageAction_ =
        help->addAction(QStringLiteral("&Norvadex Home Page"), this, &MainWindow::ShowHomePage);
    helpPageAction_ =
        help->addAction(QStringLiteral("Norvadex &Help Page"), this, &MainWindow::ShowHelpPage);
    helpPageAction_->setShortcut(QKeySequence::HelpContents);
    contributionAction_ =
        help->addAction(QStringLiteral("Your &Contribution"), this, &MainWindow::ShowContribution);
    aboutAction_ = help->addAction(QStringLiteral("&About ..."), this, &MainWindow::ShowAbout);
}

// --- menu commands -------------------------------------------------------------

void MainWindow::NewCombination() {
    combo_->Clear();
    GetCombo();
}

void MainWindow::ChangeCombination() {
    const ComboSetUp current = analysis_ ? analysis_->CurrentCombination() : lastSetUp_;
    combo_->SetValues(current.North, current.South, current.Discards, current.Entries,
                      static_cast<std::uint8_t>(13 - current.WestFilled),
                      static_cast<std::uint8_t>(13 - current.EastFilled), contractCopy_);
    GetCombo();
}

void MainWindow::ShowLineGoalTable() {
    if (views_) views_->ShowLineGoalTable();
}

void MainWindow::ShowPayoffTable() {
    if (views_) views_->ShowPayoffTable();
}

void MainWindow::ShowHomePage() {
    OpenWebPage(host_, HomePageAddress());
}

void MainWindow::ShowHelpPage() {
    OpenWebPage(host_, HelpPageAddress("/help/mainhelp.htm"));
}

void MainWindow::ShowContribution() {
    OpenWebPage(host_, HelpPageAddress("/contributions.htm"));
}

void MainWindow::ShowAbout() {
    about_->exec();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The computation is told to stop; the window closes when it has.
    if (worker_.joinable()) {
        closeWhenFinished_ = true;
        progress_->RequestStop();
        event->ignore();
        return;
    }
    SaveGeometry();
    // The windows beside this one go with it.
    for (QWidget* w : {static_cast<QWidget*>(table_), static_cast<QWidget*>(payoffTable_),
                       static_cast<QWidget*>(help_)})
        w->close();
    QMainWindow::closeEvent(event);
}

// --- views ---------------------------------------------------------------------

void MainWindow::ClearPlayPanel() {
    for (QLabel* hand : {northHand_, southHand_, westHand_, eastHand_})
        hand->clear();
    for (QLabel* card : {northCardInTrickLabel_, eastCardInTrickLabel_, southCardInTrickLabel_,
                         westCardInTrickLabel_})
        card->clear();
    tricksLabel_->clear();
    for (QToolButton* b : {beginButton_, backButton_, nextButton_, endButton_})
        SetStepButtonEnabled(b, false);
}

void MainWindow::ShowHandCards(QLabel* hand, std::string_view cards, std::string_view marked) {
    QString html;
    for (char c : cards) {
        const QString card = QString(QChar::fromLatin1(c)).toHtmlEscaped();
        if (marked.find(c) != std::string_view::npos)
            html += QStringLiteral("<b><u>%1</u></b>").arg(card);
        else
            html += card;
    }
    hand->setText(html);
}

void MainWindow::SetStepButtonEnabled(QToolButton* button, bool enabled) {
    button->setEnabled(enabled);
    button->setToolTip(enabled ? QString::fromLatin1(StepHint(button)) : QString());
}

void MainWindow::SetComputing(bool computing) {
    computing_ = computing;
    // The progress window is a child window of this one: disabling the whole
    // window would disable its Interrupt button too. The Help menu and Quit
    // stay: they do not touch the analysis.
    centralWidget()->setEnabled(!computing);
    for (QMenu* menu : {combinationMenu_, analysisMenu_})
        menu->setEnabled(!computing);
    for (QAction* a : {newAction_, changeAction_, lineGoalTableAction_, payoffTableAction_})
        a->setEnabled(!computing);
    if (!computing && isVisible()) activateWindow();
}

void MainWindow::ShowSingleColumn(const QString& caption) {
    resultListView_->ShowSingleColumn(caption);
}

void MainWindow::SetResultActionsEnabled(bool enabled) {
    for (QAction* a : {saveResultsAction_, printAction_, printPreviewAction_})
        a->setEnabled(enabled);
}

void MainWindow::EmptyViews() {
    resultsShown_ = false;
    SetResultActionsEnabled(false);
    resultListView_->Clear();
    selectLineComboBox_->clear();
    playEdit_->clear();
    furthestPlay_.clear();
    ClearPlayPanel();
    tricksTableListView_->Clear();
    // The table windows show the next results, or none.
    for (TableWindow* t : {table_, payoffTable_})
        t->ListView()->Clear();
}

} // namespace nvx
