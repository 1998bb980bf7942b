#include "engine/ProductGlobals.h"

#include "engine/CommandHandlers.h"
#include "engine/Exceptions.h"
#include "engine/FileSystem.h"
#include "engine/KvtVariables.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

namespace {

const QString kGlobalsFileName = QStringLiteral("globals.dat");

// The names become folder names under the per-user data folder: anything
// that could name another place ("..", a separator) or that the file system
// cannot hold is refused rather than quietly written somewhere else.
bool IsSingleFolderName(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(u'/') && !name.contains(u'\\') && !name.contains(QChar(u'\0'));
}

void CheckFolderName(const QString& name, const QString& what)
{
    if (!IsSingleFolderName(name))
        throw Exception(QStringLiteral("Invalid %1 name \"%2\": it must be a single folder name.").arg(what, name));
}

// A folder that exists under another letter case is the same folder, as it
// is on the system the scripts were written on.
QString ChildFolder(const QString& parent, const QString& name)
{
    return ResolvePathIgnoringCase(parent + QLatin1Char('/') + name);
}

QString MakeGlobalsFolder(const QString& company, const QString& name)
{
    QString folder = GetSpecialFolderPath();
    if (!company.isEmpty())
        folder = ChildFolder(folder, company);
    folder = ChildFolder(folder, name);
    if (!QDir().mkpath(folder) || !QFileInfo(folder).isDir())
        throw EOSError(QStringLiteral("Cannot create the globals folder \"%1\".").arg(folder));
    return folder + QLatin1Char('/');
}

// The file's bytes, or nothing when the product has no globals yet.
std::optional<QByteArray> ReadGlobals(const QString& fileName)
{
    if (!QFileInfo(fileName).isFile())
        return std::nullopt;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EOSError(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, file.errorString()));
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EOSError(QStringLiteral("Cannot read file \"%1\". %2").arg(fileName, file.errorString()));
    return data;
}

QString GlobalsFileIn(const QString& folder)
{
    return ResolvePathIgnoringCase(folder + kGlobalsFileName);
}

} // namespace

TProductGlobals::TProductGlobals(TKvtVariables& variables, TLogFunction log)
    : variables_(variables), log_(std::move(log))
{
}

QString TProductGlobals::GlobalsFile() const
{
    return globalsFolder_.isEmpty() ? QString() : GlobalsFileIn(globalsFolder_);
}

void TProductGlobals::SetProduct(const QString& company, const QString& name)
{
    if (company.compare(productCompany_, Qt::CaseInsensitive) == 0
        && name.compare(productName_, Qt::CaseInsensitive) == 0)
        return;
    if (!company.isEmpty())
        CheckFolderName(company, QStringLiteral("company"));
    CheckFolderName(name, QStringLiteral("product"));

    // Everything that can fail runs before the switch, so a failure leaves
    // the old product with its variables in place.
    const QString folder = MakeGlobalsFolder(company, name);
    const std::optional<QByteArray> data = ReadGlobals(GlobalsFileIn(folder));
    if (HasProduct())
        SaveGlobals();

    productCompany_ = company;
    productName_ = name;
    globalsFolder_ = folder;
    variables_.ClearAll();
    if (data)
        variables_.LoadFromData(*data);
    Log(QStringLiteral("Globals are kept in \"%1\".").arg(GlobalsFile()));
}

void TProductGlobals::ClearProduct()
{
    // Forgotten even when the save fails: otherwise every later attempt to
    // open a script would fail on the same save.
    auto forget = qScopeGuard([this] {
        productCompany_.clear();
        productName_.clear();
        globalsFolder_.clear();
    });
    if (HasProduct())
        SaveGlobals();
}

void TProductGlobals::LoadGlobals()
{
    RequireProduct();
    const std::optional<QByteArray> data = ReadGlobals(GlobalsFile());
    variables_.ClearAll();
    if (data)
        variables_.LoadFromData(*data);
}

void TProductGlobals::SaveGlobals()
{
    RequireProduct();
    // The folder may have been removed while the story ran; the globals
    // must still find their way to disk.
    QDir().mkpath(globalsFolder_);
    variables_.SaveGlobalsToFile(GlobalsFile());
}

void TProductGlobals::RequireProduct() const
{
    if (!HasProduct())
        throw Exception(QStringLiteral("Product info is not set."));
}

void TProductGlobals::Log(const QString& message) const
{
    if (log_)
        log_(message);
}
