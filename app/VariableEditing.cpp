#include "app/VariableEditing.h"

#include "app/Dialogs.h"
#include "engine/KvtVariables.h"

void AddVariableThroughDialog(TDialogs& dialogs, TKvtVariables& variables)
{
    if (const std::optional<TVariableEntry> entry = dialogs.AddVariable())
        variables.SetStr(entry->Name, entry->Value);
}

void EditVariableThroughDialog(TDialogs& dialogs, TKvtVariables& variables, int index)
{
    const QString name = variables.GetName(index);
    if (const std::optional<QString> value = dialogs.EditVariable(name, variables.GetValue(index)))
        variables.SetStr(name, *value);
}
