#pragma once

// The product a script declares and the folder where that product's globals
// are persisted: the per-user data folder, the company (when given) and the
// product name. The main window owns one and forwards the script's commands
// and its own closing to it.

#include <QString>

#include <functional>

class TKvtVariables;

class TProductGlobals {
public:
    using TLogFunction = std::function<void(const QString&)>;

    TProductGlobals(TKvtVariables& variables, TLogFunction log = {});

    bool HasProduct() const { return !productName_.isEmpty(); }
    const QString& ProductCompany() const { return productCompany_; }
    const QString& ProductName() const { return productName_; }
    // Ends with "/"; empty without a product.
    const QString& GlobalsFolder() const { return globalsFolder_; }
    // The "globals.dat" of the folder, under whatever letter case it exists.
    QString GlobalsFile() const;

    // When company or name differ (letter case ignored) from the current
    // ones: saves the current product's globals, switches, and replaces every
    // variable by the new product's globals. A name that is not a single
    // folder name, or a folder that cannot be created or a file that cannot
    // be read, raises before anything is saved, loaded or switched.
    void SetProduct(const QString& company, const QString& name);
    // Saves the globals when a product is set, then forgets the product.
    void ClearProduct();
    // Raise "Product info is not set." without a product.
    void LoadGlobals();
    void SaveGlobals();

private:
    void RequireProduct() const;
    void Log(const QString& message) const;

    TKvtVariables& variables_;
    TLogFunction log_;
    QString productCompany_;
    QString productName_;
    QString globalsFolder_;
};
