#pragma once

#include "engine/CommandHandlers.h"

#include <QStringList>

#include <tuple>

class TActorCommands;
class TAudioCommands;
class TChoiceCommands;
class TInterpreter;
class TPresentationCommands;

// The themed handler groups the command table names, one object of each. A
// group that joins adds its class here and its names to the table; whoever
// owns the groups (the main window, a test fixture) hands every one in.
using TCommandGroups = std::tuple<TInterpreter*, TAudioCommands*, TPresentationCommands*, TActorCommands*,
                                  TChoiceCommands*>;

// Fills the registry in the order of the command table and lets the driver
// answer names nobody registered. Raises when a group is missing.
void RegisterCommandTable(TCommandManager& commands, const TCommandGroups& groups);
QStringList CommandTableNames();
