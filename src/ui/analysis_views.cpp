#include "ui/analysis_views.h"

#include "cards/holding.h"
#include "play/play_state.h"
#include "present/result_views.h"
#include "results/analysis.h"
#include "ui/main_window.h"
#include "ui/message_boxes.h"
#include "ui/plan_view.h"
#include "ui/report_view.h"
#include "ui/table_window.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>

namespace nvx {

namespace {

// The hourglass while the engine works out a position.
class WaitCursor {
  public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

bool Contains(std::string_view text, char c) {
    return text.find(c) != std::string_view::npos;
}

// The key of a key press as the play edit takes it: a rank character (either
// case), ";", "-", or a carriage return; 0 for every other key.
char PlayKeyOf(const QKeyEvent& key) {
    // Ctrl+C, Ctrl+A and the like are shortcuts, not cards.
    if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return 0;
    if (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) return '\r';
    const QString text = key.text();
    if (text.size() != 1 || text[0].unicode() > 127) return 0;
    const char c = static_cast<char>(text[0].unicode());
    const char upper = static_cast<char>(QChar::fromLatin1(c).toUpper().unicode());
    if (Contains(RankChars, upper) || c == ';' || c == '-') return c;
    return 0;
}

// Keeps the play keys typed while a play step works out the position (the engine
// lets pending events through) and while its warning is up, instead of letting
// the box swallow them or a second step start inside the first. While the step
// works every key is held (Enter as ";"); while the box is up Enter, Escape and
// the blank still answer it.
class KeysMeanwhile : public QObject {
  public:
    KeysMeanwhile() { QApplication::instance()->installEventFilter(this); }
    ~KeysMeanwhile() override { QApplication::instance()->removeEventFilter(this); }
    KeysMeanwhile(const KeysMeanwhile&) = delete;
    KeysMeanwhile& operator=(const KeysMeanwhile&) = delete;
    void LetBoxKeysThrough() { boxUp_ = true; }
    const QString& Keys() const { return keys_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
            return QObject::eventFilter(watched, event);
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool x =
            !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) &&
            key->text().compare(QLatin1String("x"), Qt::CaseInsensitive) == 0;
        const char c = x ? 'x' : PlayKeyOf(*key);
        if (boxUp_ && (c == 0 || c == '\r')) return QObject::eventFilter(watched, event);
        if (event->type() == QEvent::KeyPress && c != 0)
            keys_ += QChar::fromLatin1(c == '\r' ? ';' : c);
        return true;
    }

  private:
    bool boxUp_ = false;
    QString keys_;
};

} // namespace

// Holds back the engine's messages and the keys typed during a play step;
// Show() shows the messages once the panel shows the position, and gives the
// play keys typed meanwhile, to be played next.
class AnalysisViews::HeldMessages {
  public:
    explicit HeldMessages(QtHost& host) : host_(host) { host_.DeferMessages(true); }
    ~HeldMessages() { Show(); }
    HeldMessages(const HeldMessages&) = delete;
    HeldMessages& operator=(const HeldMessages&) = delete;

    QString Show() {
        if (shown_) return {};
        shown_ = true;
        host_.DeferMessages(false);
        for (const QtHost::Message& m : host_.TakeDeferred()) {
            keys_.LetBoxKeysThrough();
            host_.ShowMessage(m.kind, m.text);
        }
        return keys_.Keys();
    }

  private:
    QtHost& host_;
    KeysMeanwhile keys_;
    bool shown_ = false;
};

AnalysisViews::AnalysisViews(MainWindow& window, Analysis& analysis)
    : window_(window), analysis_(analysis) {
    window_.SetResultViews(this);

    // The plan of the chosen line goes under the line selector's row.
    QGroupBox* play = window_.PlayGroupBox();
    planView_ = new PlanView(play);
    if (auto* box = qobject_cast<QVBoxLayout*>(play->layout())) {
        box->insertWidget(1, planView_);
        // The play panel, and the window with it, grow by the plan's height:
        // the panel's height was fixed before the plan was there.
        const int extra = planView_->minimumHeight() + std::max(0, box->spacing());
        play->setFixedHeight(play->minimumHeight() + extra);
        window_.resize(window_.width(), window_.height() + extra);
    }
    connect(window_.SelectLineComboBox(), &QComboBox::currentIndexChanged, this, [this](int i) {
        if (i < 0) planView_->ShowLine(-1); // the selector was emptied
    });

    ReportView* table = window_.TricksTableListView();
    table->setItemDelegate(new CellColourDelegate(
        [this](const QModelIndex& index) { return CellColourOf(index); }, this));
    table->header()->setSectionsClickable(true);
    connect(table->header(), &QHeaderView::sectionClicked, this, &AnalysisViews::SortTricksTableBy);

    // Only a choice of the user counts, not the changes while the selector is filled.
    connect(window_.SelectLineComboBox(), &QComboBox::activated, this, &AnalysisViews::ChooseLine);
    connect(window_.PlayEdit(), &QLineEdit::textChanged, this, &AnalysisViews::PlayEditChanged);
    // Enter closes a complete trick, like ";".
    connect(window_.PlayEdit(), &QLineEdit::returnPressed, this,
            [this] { window_.PlayEdit()->setText(window_.PlayEdit()->text() + QLatin1Char(';')); });
    connect(window_.BeginButton(), &QToolButton::clicked, this, &AnalysisViews::StepToStart);
    connect(window_.BackButton(), &QToolButton::clicked, this, &AnalysisViews::StepBack);
    connect(window_.NextButton(), &QToolButton::clicked, this, &AnalysisViews::StepForward);
    connect(window_.EndButton(), &QToolButton::clicked, this, &AnalysisViews::StepToEnd);

    connect(window_.SaveResultsAction(), &QAction::triggered, this, &AnalysisViews::SaveResultsAs);
    connect(window_.PrintAction(), &QAction::triggered, this, &AnalysisViews::PrintResults);
    connect(window_.PrintPreviewAction(), &QAction::triggered, this,
            &AnalysisViews::PreviewResults);

    table->installEventFilter(this);
    window_.ResultListView()->installEventFilter(this);
    window_.ResultListView()->viewport()->installEventFilter(this);
    window_.PlayGroupBox()->installEventFilter(this);
}

AnalysisViews::~AnalysisViews() {
    // The window may outlive this object: give the table back a plain delegate.
    ReportView* table = window_.TricksTableListView();
    table->setItemDelegate(new QStyledItemDelegate(table));
    if (window_.ResultViewsAttached() == this) window_.SetResultViews(nullptr);
}

// --- the results list and the table window ----------------------------------------------

void AnalysisViews::FillResultList() {
    const ResultsSummary r = SummarizeResults(analysis_.GetHost(), analysis_.GetLines());
    window_.ResultListView()->ShowTable(ResultListTable(r));
    // The table windows left open follow the new analysis.
    if (window_.Table().isVisible()) FillLineGoalTable();
    if (window_.PayoffWindow().isVisible()) FillPayoffTable();
    planView_->SetLines(analysis_);
}

QString AnalysisViews::PlanToolTip(const QString& cell) {
    QString tip;
    const std::string names = cell.toStdString();
    for (int i = 1; i <= analysis_.LineCount(); ++i) {
        const std::string name = analysis_.GetLineName(i);
        if (name.size() != 1 || names.find(name) == std::string::npos) continue;
        const WaitCursor wait; // a plan is built the first time it is asked for
        tip += QStringLiteral("Line %1:\n").arg(QString::fromStdString(name)) +
               QString::fromStdString(planView_->PlanWords(i - 1)).trimmed() +
               QStringLiteral("\n\n");
    }
    return tip.trimmed();
}

ResultsSummary AnalysisViews::ShownResults() const {
    // The lines of an interrupted computation are no results: the tables then
    // show no lines, as before the first analysis.
    if (!window_.ResultsShown()) return SummarizeResults(analysis_.GetHost(), ProbLines());
    return SummarizeResults(analysis_.GetHost(), analysis_.GetLines());
}

void AnalysisViews::FillLineGoalTable() {
    const ResultsSummary r = ShownResults();
    const ReportTable t = LineGoalTable(r);
    window_.Table().setWindowTitle(QString::fromStdString(t.Caption));
    window_.Table().ListView()->ShowTable(t);
}

void AnalysisViews::FillPayoffTable() {
    const ResultsSummary r = ShownResults();
    const ReportTable t = PayoffTableView(r);
    window_.PayoffWindow().setWindowTitle(QString::fromStdString(t.Caption));
    window_.PayoffWindow().ListView()->ShowTable(t);
}

void AnalysisViews::ShowLineGoalTable() {
    FillLineGoalTable();
    window_.Table().ShowBeside(0);
}

void AnalysisViews::ShowPayoffTable() {
    FillPayoffTable();
    window_.PayoffWindow().ShowBeside(1);
}

// --- the tricks table ------------------------------------------------------------------------

void AnalysisViews::FillTricksTable() {
    FillTricksTable(TricksTableSourceOf(analysis_));
}

void AnalysisViews::FillTricksTable(const TricksTableSource& source) {
    ReportView* table = window_.TricksTableListView();
    QComboBox* selector = window_.SelectLineComboBox();
    table->ShowTable(TricksTableView(TricksTableRows(source), source.LineNames));
    table->header()->setSortIndicatorShown(false); // in the order of the layouts

    selector->clear();
    for (const std::string& name : source.LineNames)
        selector->addItem(QString::fromStdString(name));
    selector->setCurrentIndex(-1); // no line chosen yet

    TricksTableSort& sort = window_.SortState();
    sort.SortColumn = 0;
    sort.SortSign = 1;
    sort.SortByCardsOnly = true;
}

void AnalysisViews::SortTricksTableBy(int column) {
    TricksTableSort& sort = window_.SortState();
    TricksTableColumnClick(sort, column);
    SortTricksTable(window_.TricksTableListView()->Table(), sort);
    // The arrow: a line column sorts downwards first, the layouts upwards.
    const bool down = (sort.SortSign > 0) == (sort.SortColumn >= 1);
    QHeaderView* header = window_.TricksTableListView()->header();
    header->setSortIndicator(sort.SortColumn, down ? Qt::DescendingOrder : Qt::AscendingOrder);
    header->setSortIndicatorShown(true);
}

CellColour AnalysisViews::CellColourOf(const QModelIndex& index) const {
    const QString line = window_.SelectLineComboBox()->currentText();
    if (line.isEmpty()) return nvx::TricksTableCellColour(index.column(), false, true, false);
    const std::string caption = index.siblingAtColumn(0).data().toString().toStdString();
    const bool possible =
        analysis_.GetPlay().IsDivisionPossible(CaptionWest(caption), CaptionEast(caption));
    const bool selectedColumn =
        window_.TricksTableListView()->Table().Caption(index.column()) == line;
    return nvx::TricksTableCellColour(index.column(), true, possible, selectedColumn);
}

CellColour AnalysisViews::TricksTableCellColour(int row, int column) const {
    return CellColourOf(window_.TricksTableListView()->Table().index(row, column));
}

void AnalysisViews::RepaintTricksTable() {
    window_.TricksTableListView()->viewport()->update();
}

// --- the play panel ------------------------------------------------------------------------

std::size_t AnalysisViews::CurrentTrickLength() const {
    return analysis_.GetPlay().CurrentTrickCards().size();
}

void AnalysisViews::TakeBackAll() {
    PlayThrough& play = analysis_.GetPlay();
    // Each step removes one card or one separator; stop should one not.
    for (std::size_t n = play.GetPlayString().size(); n > 0; n = play.GetPlayString().size()) {
        play.TakeBackCard();
        if (play.GetPlayString().size() >= n) break;
    }
}

void AnalysisViews::ShowPlayString() {
    QLineEdit* edit = window_.PlayEdit();
    const QString text = QString::fromStdString(analysis_.GetPlay().GetPlayString());
    if (edit->text() != text) edit->setText(text);
    edit->setCursorPosition(static_cast<int>(text.size()));
}

bool AnalysisViews::PlayKey(char c) {
    PlayThrough& play = analysis_.GetPlay();
    if (c == '\r' || c == ';') return play.AddTrickSeparator();
    const WaitCursor wait;
    return play.PlayChar(c);
}

void AnalysisViews::ChooseLine() {
    const int index = window_.SelectLineComboBox()->currentIndex();
    if (index < 0) return;
    const WaitCursor wait;
    TakeBackAll();
    window_.FurthestPlay().clear();
    analysis_.SelectLine(index + 1);
    planView_->ShowLine(index);
    RepaintTricksTable();
    UpdatePlayPanel();
    QLineEdit* edit = window_.PlayEdit();
    edit->setEnabled(true);
    edit->setFocus(Qt::OtherFocusReason);
    // The edit still holds the play typed under the previous line: replay it.
    PlayEditChanged();
}

void AnalysisViews::PlayEditChanged() {
    PlayThrough& play = analysis_.GetPlay();
    HeldMessages held(window_.AppHost());
    const std::string typed = window_.PlayEdit()->text().toUpper().toStdString();
    bool changed = false;
    bool repaint = false;

    // Take back until what was played is part of the text again.
    while (!play.GetPlayString().empty() && typed.find(play.GetPlayString()) == std::string::npos) {
        const std::size_t before = play.GetPlayString().size();
        play.TakeBackCard();
        if (play.GetPlayString().size() >= before) break;
        changed = true;
        const std::size_t n = CurrentTrickLength();
        if (n == 1 || n == 3) repaint = true; // a defender's card went back
    }

    // Play the rest of the text as far as it is playable; "X" plays the lowest card.
    while (play.GetPlayString().size() < typed.size()) {
        const char c = typed[play.GetPlayString().size()];
        bool accepted = PlayKey(c);
        if (!accepted && c == 'X') {
            for (auto it = RankChars.begin(); it != RankChars.end() && !accepted; ++it)
                accepted = PlayKey(*it);
        }
        if (!accepted) break;
        changed = true;
        const std::size_t n = CurrentTrickLength();
        if (n == 2 || n == 4) repaint = true; // a defender's card was added
    }

    const std::string& played = play.GetPlayString();
    if (changed) {
        ShowPlayString();
        std::string& furthest = window_.FurthestPlay();
        if (!played.empty() && furthest.compare(0, played.size(), played) != 0) furthest = played;
        UpdatePlayPanel();
        if (repaint) RepaintTricksTable();
    } else if (window_.PlayEdit()->text().toStdString() != played) {
        ShowPlayString(); // a character that cannot be played disappears
    }
    // A warning is shown over the position that drew it; what was typed
    // meanwhile is played next.
    const QString meanwhile = held.Show();
    if (!meanwhile.isEmpty()) window_.PlayEdit()->setText(window_.PlayEdit()->text() + meanwhile);
}

void AnalysisViews::UpdatePlayPanel() {
    PlayThrough& play = analysis_.GetPlay();
    planView_->ShowPlay(play.GetPlayString());
    const std::string north = play.NorthUnplayed();
    const std::string south = play.SouthUnplayed();
    const std::string trick = play.CurrentTrickCards();
    std::string northMarked, southMarked, east, west;
    std::string northShown = north, southShown = south;
    const std::string ShowOut(1, '-');

    // The line is only asked at declarer's turn; at a defender's turn every
    // playable card is the defender's to choose.
    switch (play.CurrentSeat()) {
    case seat::North: {
        if (Contains(play.PlayableCards(), '-'))
            northShown = northMarked = ShowOut;
        else
            northMarked = play.LineCards();
        break;
    }
    case seat::South: {
        if (Contains(play.PlayableCards(), '-'))
            southShown = southMarked = ShowOut;
        else
            southMarked = play.LineCards();
        break;
    }
    case seat::East:
        east = play.PlayableCards();
        break;
    case seat::West:
        west = play.PlayableCards();
        break;
    default:
        if (trick.empty()) northMarked = southMarked = play.LineCards();
        break;
    }
    MainWindow::ShowHandCards(window_.NorthHand(), northShown, northMarked);
    MainWindow::ShowHandCards(window_.SouthHand(), southShown, southMarked);
    MainWindow::ShowHandCards(window_.EastHand(), east, east);
    MainWindow::ShowHandCards(window_.WestHand(), west, west);

    // The trick, clockwise from its leader.
    QLabel* const seats[4] = {window_.NorthCardInTrickLabel(), window_.EastCardInTrickLabel(),
                              window_.SouthCardInTrickLabel(), window_.WestCardInTrickLabel()};
    const std::uint8_t leader = play.TrickLeaderSeat();
    std::size_t s = leader < 4 ? leader : seat::North;
    for (std::size_t i = 0; i < 4; ++i, s = (s + 1) % 4)
        seats[s]->setText(i < trick.size() ? QString(QChar::fromLatin1(trick[i])) : QString());

    const int won = play.NSTricksWon();
    const int lost = play.CompletedTricks() - won;
    window_.TricksLabel()->setText(QStringLiteral("Tricks won\nNS: %1; EW: %2").arg(won).arg(lost));

    const std::size_t length = play.GetPlayString().size();
    const bool back = length > 0;
    const bool forward = window_.FurthestPlay().size() > length;
    MainWindow::SetStepButtonEnabled(window_.BeginButton(), back);
    MainWindow::SetStepButtonEnabled(window_.BackButton(), back);
    MainWindow::SetStepButtonEnabled(window_.NextButton(), forward);
    MainWindow::SetStepButtonEnabled(window_.EndButton(), forward);
}

void AnalysisViews::StepToStart() {
    TakeBackAll();
    UpdatePlayPanel();
    ShowPlayString();
    RepaintTricksTable();
}

void AnalysisViews::StepBack() {
    PlayThrough& play = analysis_.GetPlay();
    if (play.GetPlayString().empty()) return;
    play.TakeBackCard();
    UpdatePlayPanel();
    ShowPlayString();
    const std::size_t n = CurrentTrickLength();
    if (n == 1 || n == 3) RepaintTricksTable();
}

void AnalysisViews::StepForward() {
    const std::string& played = analysis_.GetPlay().GetPlayString();
    const std::string& furthest = window_.FurthestPlay();
    if (played.size() >= furthest.size() || furthest.compare(0, played.size(), played) != 0) return;
    HeldMessages held(window_.AppHost());
    PlayKey(furthest[played.size()]);
    UpdatePlayPanel();
    ShowPlayString();
    const std::size_t n = CurrentTrickLength();
    if (n == 2 || n == 4) RepaintTricksTable();
}

void AnalysisViews::StepToEnd() {
    const std::string& played = analysis_.GetPlay().GetPlayString();
    const std::string& furthest = window_.FurthestPlay();
    // The furthest play begins with the play string; should a card of it be
    // refused after all, stop there rather than try it for ever.
    HeldMessages held(window_.AppHost());
    while (played.size() < furthest.size() && furthest.compare(0, played.size(), played) == 0) {
        if (!PlayKey(furthest[played.size()])) break;
    }
    UpdatePlayPanel();
    ShowPlayString();
    RepaintTricksTable();
}

void AnalysisViews::PlayPanelClicked() {
    QLineEdit* edit = window_.PlayEdit();
    // No line chosen: before the first analysis and after an interrupted one
    // the edit is enabled, but there is no play to speak of either.
    if (!edit->isEnabled() || window_.SelectLineComboBox()->currentText().isEmpty()) {
        MessageBoxes::Information(&window_, QStringLiteral("please select a line of play"));
        window_.SelectLineComboBox()->setFocus(Qt::MouseFocusReason);
        return;
    }
    PlayThrough& play = analysis_.GetPlay();
    const std::size_t n = CurrentTrickLength();
    if (n == 4) {
        edit->setText(edit->text() + QLatin1Char(';'));
    } else if (n == 0 && play.LineCards().empty()) {
        MessageBoxes::Information(&window_, QStringLiteral("play has finished"));
    } else {
        MessageBoxes::Information(
            &window_,
            QStringLiteral("please use your keyboard to play one of the underlined cards"));
    }
    edit->setFocus(Qt::MouseFocusReason);
}

bool AnalysisViews::eventFilter(QObject* watched, QEvent* event) {
    // The line names of the results list show their plans as tooltips.
    if (event->type() == QEvent::ToolTip && watched == window_.ResultListView()->viewport()) {
        ReportView* list = window_.ResultListView();
        const auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex cell = list->indexAt(help->pos());
        if (cell.isValid() && cell.column() == list->Table().columnCount() - 1) {
            const QString tip = PlanToolTip(cell.data().toString());
            if (!tip.isEmpty()) {
                QToolTip::showText(help->globalPos(), tip, list);
                return true;
            }
        }
        QToolTip::hideText();
        return false;
    }
    if (event->type() == QEvent::KeyPress &&
        (watched == window_.TricksTableListView() || watched == window_.ResultListView())) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const char c = PlayKeyOf(*key);
        QLineEdit* edit = window_.PlayEdit();
        if (c != 0 && edit->isEnabled()) {
            edit->setFocus(Qt::OtherFocusReason);
            // A carriage return closes the trick as ";" does.
            edit->setText(edit->text() + QChar::fromLatin1(c == '\r' ? ';' : c));
            return true;
        }
        return false;
    }
    if (event->type() == QEvent::MouseButtonPress && watched == window_.PlayGroupBox()) {
        if (!window_.Computing()) PlayPanelClicked();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace nvx
