#include "app/DebuggerPanes.h"

#include "assets/CharManager.h"
#include "engine/KvtEngine.h"
#include "engine/KvtVariables.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QSplitter>
#include <QStringListModel>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QString StackRow(int32_t line)
{
    return QStringLiteral("script@") + QString::number(line);
}

QLabel* CaptionStrip(const QString& text, QWidget* parent)
{
    auto* strip = new QLabel(text, parent);
    strip->setFrameShape(QFrame::StyledPanel);
    strip->setFixedHeight(24);
    strip->setAlignment(Qt::AlignCenter);
    return strip;
}

QLabel* BoldLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

// A list above a captioned list, with a splitter between them.
QSplitter* ListAboveCaptioned(QWidget* top, QWidget* bottom, QWidget* parent)
{
    auto* splitter = new QSplitter(Qt::Vertical, parent);
    splitter->addWidget(top);
    splitter->addWidget(bottom);
    splitter->setChildrenCollapsible(false);
    splitter->setSizes({200, 360});
    return splitter;
}

QWidget* Captioned(const QString& caption, const QString& name, QList<QWidget*> below, QWidget* parent)
{
    auto* panel = new QWidget(parent);
    panel->setObjectName(name);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(CaptionStrip(caption, panel));
    for (QWidget* widget : below) {
        widget->setParent(panel);
        layout->addWidget(widget);
    }
    return panel;
}

} // namespace

QStringList StackRows(const TKvtParser& parser)
{
    QStringList rows{StackRow(parser.Position)};
    const std::vector<TStackFrame>& stack = parser.Stack();
    for (auto frame = stack.rbegin(); frame != stack.rend(); ++frame)
        rows.append(StackRow(frame->ReturnLine));
    return rows;
}

QString StackTopRow(const TKvtParser& parser)
{
    return StackRow(parser.Position);
}

QStringList VariableRows(const TKvtVariables& variables)
{
    QStringList rows;
    rows.reserve(variables.Count());
    for (int i = 0; i < variables.Count(); ++i)
        rows.append(variables.GetName(i) + u'=' + variables.GetValue(i));
    return rows;
}

QStringList ActorRows(const TActorManager& actors)
{
    QStringList rows;
    for (int i = 0; i < actors.Count(); ++i)
        rows.append(actors.Item(i).Name());
    return rows;
}

QStringList PositionRows(const TPositionManager& positions)
{
    QStringList rows;
    for (int i = 0; i < positions.Count(); ++i) {
        const TCharPosition& position = positions.Item(i);
        const QString name = position.Name.isEmpty() ? QStringLiteral("Nameless") : position.Name;
        rows.append(position.IsDefault ? u'[' + name + u']' : name);
    }
    return rows;
}

QString CurrentLineCaption(const TKvtParser& parser)
{
    return QStringLiteral("Line: ") + QString::number(parser.Position) + QStringLiteral(", ")
           + parser.CurrentPositionText() + u'.';
}

// ---------------------------------------------------------------- panel

TToolsPanel::TToolsPanel(const TToolSources& sources, QWidget* parent) : QTabWidget(parent), sources_(sources)
{
    setObjectName(QStringLiteral("pnlTools"));
    addTab(CreateInfoPage(), QStringLiteral("Info"));
    addTab(CreateVariablesPage(), QStringLiteral("Vars"));
    addTab(CreateLabelsPage(), QStringLiteral("Labels"));
    addTab(CreateActorsPage(), QStringLiteral("Actors"));
    setCurrentIndex(3);  // what an author looks at first: who is on the stage
}

QListView* TToolsPanel::CreateList(const QString& name, QStringListModel*& model)
{
    auto* list = new QListView(this);
    list->setObjectName(name);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Rows of one height are laid out without measuring each: 100,000
    // labels fill the list at once.
    list->setUniformItemSizes(true);
    model = new QStringListModel(list);
    list->setModel(model);
    return list;
}

QWidget* TToolsPanel::CreateInfoPage()
{
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    chapter_ = new QLabel(QStringLiteral("Unknown"), page);
    chapter_->setObjectName(QStringLiteral("lblCurrentChapter"));
    section_ = new QLabel(QStringLiteral("Unknown"), page);
    section_->setObjectName(QStringLiteral("lblCurrentSection"));
    for (QLabel* value : {chapter_, section_}) {
        // A long chapter name must not widen the panel.
        value->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }
    layout->addWidget(BoldLabel(QStringLiteral("Current chapter:"), page));
    layout->addWidget(chapter_);
    layout->addWidget(BoldLabel(QStringLiteral("Current section:"), page));
    layout->addWidget(section_);
    layout->addStretch();
    return page;
}

QWidget* TToolsPanel::CreateVariablesPage()
{
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* buttons = new QWidget(page);
    buttons->setObjectName(QStringLiteral("pnlVars"));
    buttons->setFixedHeight(24);
    auto* row = new QHBoxLayout(buttons);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    auto addButton = [&](const QString& caption, const QString& name, std::function<void()> clicked) {
        auto* button = new QToolButton(buttons);
        button->setText(caption);
        button->setObjectName(name);
        button->setAutoRaise(true);
        button->setFixedWidth(48);
        connect(button, &QToolButton::clicked, this, std::move(clicked));
        row->addWidget(button);
    };
    addButton(QStringLiteral("add"), QStringLiteral("sbVarAdd"), [this] {
        if (OnAddVariable)
            OnAddVariable();
    });
    addButton(QStringLiteral("edit"), QStringLiteral("sbVarEdit"), [this] {
        if (SelectedVariable() >= 0 && OnEditVariable)
            OnEditVariable(SelectedVariable());
    });
    addButton(QStringLiteral("del"), QStringLiteral("sbVarDel"), [this] {
        if (SelectedVariable() >= 0 && OnDeleteVariable)
            OnDeleteVariable(SelectedVariable());
    });
    row->addStretch();
    layout->addWidget(buttons);

    variables_ = CreateList(QStringLiteral("lbVars"), variableRows_);
    // The double-click selects the row under the pointer first; below the
    // last row there is none, and nothing happens.
    connect(variables_, &QListView::doubleClicked, this, [this](const QModelIndex& index) {
        variables_->setCurrentIndex(index);
        if (OnEditVariable)
            OnEditVariable(index.row());
    });
    QListView* stack = CreateList(QStringLiteral("lbStack"), stackRows_);
    QWidget* stackPanel = Captioned(QStringLiteral("Stack"), QStringLiteral("pnlStack"), {stack}, page);
    layout->addWidget(ListAboveCaptioned(variables_, stackPanel, page));
    return page;
}

QWidget* TToolsPanel::CreateLabelsPage()
{
    labels_ = CreateList(QStringLiteral("lbLabels"), labelRows_);
    connect(labels_, &QListView::doubleClicked, this, [this](const QModelIndex& index) {
        if (OnLabelDoubleClicked)
            OnLabelDoubleClicked(index.data().toString());
    });
    QListView* files = CreateList(QStringLiteral("lbFiles"), fileRows_);
    currentLine_ = new QLabel(this);
    currentLine_->setObjectName(QStringLiteral("pnlCurrentLine"));
    currentLine_->setFixedHeight(28);
    currentLine_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    currentLine_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    QWidget* blocks = Captioned(QStringLiteral("FileBlocks"), QStringLiteral("pnlFileBlocks"), {files, currentLine_}, this);
    return ListAboveCaptioned(labels_, blocks, this);
}

QWidget* TToolsPanel::CreateActorsPage()
{
    QListView* actors = CreateList(QStringLiteral("lbActors"), actorRows_);
    QListView* positions = CreateList(QStringLiteral("lbPositions"), positionRows_);
    QWidget* below = Captioned(QStringLiteral("Positions"), QStringLiteral("pnlPositions"), {positions}, this);
    return ListAboveCaptioned(actors, below, this);
}

// ---------------------------------------------------------------- refresh

void TToolsPanel::Refresh(unsigned parts)
{
    if (parts & PaneParts::Lines) {
        RefreshLabels();
        RefreshFileBlocks();
    }
    if (parts & PaneParts::Stack)
        RefreshStack();
    if (parts & PaneParts::Variables)
        RefreshVariables();
    if (parts & PaneParts::Positions)
        RefreshPositions();
    if (parts & PaneParts::Actors)
        RefreshActors();
    if (parts & (PaneParts::Position | PaneParts::Stack))
        ShowCurrentLine();
}

void TToolsPanel::RefreshLabels()
{
    labelRows_->setStringList(sources_.Parser.LabelNames());
}

void TToolsPanel::RefreshFileBlocks()
{
    fileRows_->setStringList(sources_.Parser.FileBlockDescriptions());
}

void TToolsPanel::RefreshStack()
{
    stackRows_->setStringList(StackRows(sources_.Parser));
}

// The selection stays on the same row, so "edit" after a refresh still
// means the entry the author picked.
void TToolsPanel::RefreshVariables()
{
    const int selected = SelectedVariable();
    variableRows_->setStringList(VariableRows(sources_.Variables));
    if (selected >= 0 && selected < variableRows_->rowCount())
        variables_->setCurrentIndex(variableRows_->index(selected));
}

void TToolsPanel::RefreshActors()
{
    actorRows_->setStringList(ActorRows(sources_.Actors));
}

void TToolsPanel::RefreshPositions()
{
    positionRows_->setStringList(PositionRows(sources_.Positions));
}

void TToolsPanel::ShowCurrentLine()
{
    if (stackRows_->rowCount() == 0)
        stackRows_->insertRows(0, 1);
    stackRows_->setData(stackRows_->index(0), StackTopRow(sources_.Parser));
    currentLine_->setText(CurrentLineCaption(sources_.Parser));
}

void TToolsPanel::SetChapter(const QString& text)
{
    chapter_->setText(text);
}

void TToolsPanel::SetSection(const QString& text)
{
    section_->setText(text);
}

int TToolsPanel::SelectedVariable() const
{
    const QModelIndex current = variables_->currentIndex();
    return current.isValid() && variables_->selectionModel()->isSelected(current) ? current.row() : -1;
}
