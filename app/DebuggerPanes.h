#pragma once

#include <QStringList>
#include <QTabWidget>

#include <functional>

class QLabel;
class QListView;
class QStringListModel;
class QToolButton;
class TActorManager;
class TKvtParser;
class TKvtVariables;
class TPositionManager;

// The rows of the author's tool lists, built from the story's objects.
QStringList StackRows(const TKvtParser& parser);
QStringList VariableRows(const TKvtVariables& variables);
QStringList ActorRows(const TActorManager& actors);
QStringList PositionRows(const TPositionManager& positions);
QString StackTopRow(const TKvtParser& parser);
QString CurrentLineCaption(const TKvtParser& parser);

// What changed since the panes were last brought up to date; the window
// collects the story's notifications here and applies them once a frame,
// so a story that runs thousands of lines a frame rebuilds nothing more.
namespace PaneParts {
enum : unsigned {
    Lines = 1,
    Stack = 2,
    Position = 4,
    Variables = 8,
    Actors = 16,
    Positions = 32,
    All = 63,
};
} // namespace PaneParts

struct TToolSources {
    const TKvtParser& Parser;
    const TKvtVariables& Variables;
    const TActorManager& Actors;
    const TPositionManager& Positions;
};

// The tools panel: chapter and section, variables and call stack, labels
// and file blocks, actors and positions.
class TToolsPanel final : public QTabWidget {
public:
    TToolsPanel(const TToolSources& sources, QWidget* parent);

    // Rebuilds the lists that `parts` touch, in the order RefreshTools uses.
    void Refresh(unsigned parts);
    void RefreshTools() { Refresh(PaneParts::All); }
    void RefreshLabels();
    void RefreshFileBlocks();
    void RefreshStack();
    void RefreshVariables();
    void RefreshActors();
    void RefreshPositions();
    void ShowCurrentLine();
    void SetChapter(const QString& text);
    void SetSection(const QString& text);

    // The selected entry of the variables list, or -1.
    int SelectedVariable() const;

    // The author's wishes; the window decides what they do.
    std::function<void(const QString& label)> OnLabelDoubleClicked;
    std::function<void()> OnAddVariable;
    std::function<void(int index)> OnEditVariable;
    std::function<void(int index)> OnDeleteVariable;

private:
    QWidget* CreateInfoPage();
    QWidget* CreateVariablesPage();
    QWidget* CreateLabelsPage();
    QWidget* CreateActorsPage();
    QListView* CreateList(const QString& name, QStringListModel*& model);

    TToolSources sources_;
    QLabel* chapter_ = nullptr;
    QLabel* section_ = nullptr;
    QLabel* currentLine_ = nullptr;
    QListView* variables_ = nullptr;
    QListView* labels_ = nullptr;
    QStringListModel* variableRows_ = nullptr;
    QStringListModel* stackRows_ = nullptr;
    QStringListModel* labelRows_ = nullptr;
    QStringListModel* fileRows_ = nullptr;
    QStringListModel* actorRows_ = nullptr;
    QStringListModel* positionRows_ = nullptr;
};
