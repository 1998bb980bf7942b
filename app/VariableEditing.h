#pragma once

class TDialogs;
class TKvtVariables;

// What the variables page's "add" and "edit" do. The story goes on behind
// the modal dialog and may add or remove variables meanwhile, so the answer
// is written to the variable by name, wherever it stands by then.

// On OK the variable of the typed name gets the value; a new name creates it.
void AddVariableThroughDialog(TDialogs& dialogs, TKvtVariables& variables);
// Offers the name and value of the entry at `index` (raising "Variable index
// is out of bounds." outside the store); on OK that name gets the new value.
void EditVariableThroughDialog(TDialogs& dialogs, TKvtVariables& variables, int index);
