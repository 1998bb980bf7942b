#include "engine/ProductGlobals.h"

#include "engine/Exceptions.h"
#include "engine/KvtVariables.h"
#include "support/TempDir.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <gtest/gtest.h>

namespace {

// Every test gets its own per-user data folder; the real one is never seen.
class ProductGlobals : public testing::Test {
protected:
    void SetUp() override
    {
        saved_ = qgetenv("XDG_DATA_HOME");
        hadValue_ = qEnvironmentVariableIsSet("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", data_.File(QStringLiteral("share")).toLocal8Bit());
    }
    void TearDown() override
    {
        if (hadValue_)
            qputenv("XDG_DATA_HOME", saved_);
        else
            qunsetenv("XDG_DATA_HOME");
    }

    QString Data(const QString& relative = {}) const
    {
        return data_.File(QStringLiteral("share")) + (relative.isEmpty() ? QString() : u'/' + relative);
    }
    QString WriteData(const QString& relative, const QByteArray& bytes) const
    {
        return data_.Write(QStringLiteral("share/") + relative, bytes);
    }
    // Files below the data folder, relative, sorted.
    QStringList Tree() const
    {
        QStringList files;
        QDirIterator it(Data(), QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << QDir(Data()).relativeFilePath(it.next());
        files.sort();
        return files;
    }
    QString MessageOf(const std::function<void()>& action) const
    {
        try {
            action();
        } catch (const Exception& e) {
            return e.ClassName() + QStringLiteral(": ") + e.Message();
        }
        return QStringLiteral("(nothing raised)");
    }

    TTempDir data_;
    TKvtVariables vars_;
    QStringList log_;
    TProductGlobals globals_{vars_, [this](const QString& line) { log_ << line; }};

private:
    QByteArray saved_;
    bool hadValue_ = false;
};

} // namespace

TEST_F(ProductGlobals, FolderIsDataFolderCompanyProduct)
{
    globals_.SetProduct(QStringLiteral("Acme"), QStringLiteral("Demo"));
    EXPECT_TRUE(globals_.HasProduct());
    EXPECT_EQ(globals_.GlobalsFolder(), Data(QStringLiteral("Acme/Demo/")));
    EXPECT_EQ(globals_.GlobalsFile(), Data(QStringLiteral("Acme/Demo/globals.dat")));
    EXPECT_TRUE(QFileInfo(Data(QStringLiteral("Acme/Demo"))).isDir());
    EXPECT_EQ(log_.size(), 1);

    vars_.SetStr(QStringLiteral("_score"), QStringLiteral("10"));
    vars_.SetStr(QStringLiteral("tmp"), QStringLiteral("1"));
    globals_.SaveGlobals();
    EXPECT_EQ(ReadFileBytes(Data(QStringLiteral("Acme/Demo/globals.dat"))), Utf16LeBytes(QStringLiteral("_score=10\r\n")));
}

TEST_F(ProductGlobals, WithoutCompanyTheProductSitsInTheDataFolder)
{
    globals_.SetProduct(QString(), QStringLiteral("Demo"));
    EXPECT_EQ(globals_.GlobalsFolder(), Data(QStringLiteral("Demo/")));
    globals_.SaveGlobals();
    EXPECT_EQ(Tree(), (QStringList{"Demo", "Demo/globals.dat"}));
}

TEST_F(ProductGlobals, ExistingFoldersMatchIgnoringCase)
{
    WriteData(QStringLiteral("Acme/Demo/Globals.DAT"), Utf16LeBytes(QStringLiteral("_seen=1\r\n")));
    vars_.SetStr(QStringLiteral("local"), QStringLiteral("x"));
    globals_.SetProduct(QStringLiteral("acme"), QStringLiteral("DEMO"));
    EXPECT_EQ(globals_.ProductCompany(), QStringLiteral("acme"));
    EXPECT_EQ(globals_.GlobalsFolder(), Data(QStringLiteral("Acme/Demo/")));
    EXPECT_EQ(vars_.Count(), 1);
    EXPECT_EQ(vars_.GetStr(QStringLiteral("_seen")), QStringLiteral("1"));

    vars_.SetInt(QStringLiteral("_seen"), 2);
    globals_.SaveGlobals();
    EXPECT_EQ(Tree(), (QStringList{"Acme", "Acme/Demo", "Acme/Demo/Globals.DAT"}));
    EXPECT_EQ(ReadFileBytes(Data(QStringLiteral("Acme/Demo/Globals.DAT"))), Utf16LeBytes(QStringLiteral("_seen=2\r\n")));
}

TEST_F(ProductGlobals, SameProductAgainNeitherSavesNorReloads)
{
    const QString file = WriteData(QStringLiteral("Acme/Demo/globals.dat"), Utf16LeBytes(QStringLiteral("_a=1\r\n")));
    globals_.SetProduct(QStringLiteral("Acme"), QStringLiteral("Demo"));
    vars_.SetStr(QStringLiteral("_a"), QStringLiteral("changed"));
    vars_.SetStr(QStringLiteral("local"), QStringLiteral("kept"));
    int changes = 0;
    vars_.OnChanged = [&] { ++changes; };

    globals_.SetProduct(QStringLiteral("ACME"), QStringLiteral("demo"));
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(vars_.GetStr(QStringLiteral("local")), QStringLiteral("kept"));
    EXPECT_EQ(ReadFileBytes(file), Utf16LeBytes(QStringLiteral("_a=1\r\n")));
    EXPECT_EQ(globals_.ProductCompany(), QStringLiteral("Acme"));
}

TEST_F(ProductGlobals, SwitchingSavesTheOldAndLoadsTheNew)
{
    WriteData(QStringLiteral("Other/globals.dat"), Utf16LeBytes(QStringLiteral("_other=7\r\n")));
    globals_.SetProduct(QStringLiteral("Acme"), QStringLiteral("Demo"));
    vars_.SetStr(QStringLiteral("_mine"), QStringLiteral("1"));
    vars_.SetStr(QStringLiteral("local"), QStringLiteral("1"));

    globals_.SetProduct(QString(), QStringLiteral("Other"));
    EXPECT_EQ(ReadFileBytes(Data(QStringLiteral("Acme/Demo/globals.dat"))), Utf16LeBytes(QStringLiteral("_mine=1\r\n")));
    ASSERT_EQ(vars_.Count(), 1);
    EXPECT_EQ(vars_.GetName(0), QStringLiteral("_other"));

    // A product without a file yet starts with no variables at all.
    globals_.SetProduct(QString(), QStringLiteral("Fresh"));
    EXPECT_EQ(vars_.Count(), 0);
}

TEST_F(ProductGlobals, LoadReplacesLocalsToo)
{
    globals_.SetProduct(QStringLiteral("Acme"), QStringLiteral("Demo"));
    vars_.SetStr(QStringLiteral("_g"), QStringLiteral("1"));
    globals_.SaveGlobals();
    vars_.SetStr(QStringLiteral("_g"), QStringLiteral("2"));
    vars_.SetStr(QStringLiteral("local"), QStringLiteral("x"));
    globals_.LoadGlobals();
    EXPECT_EQ(vars_.Count(), 1);
    EXPECT_EQ(vars_.GetStr(QStringLiteral("_g")), QStringLiteral("1"));
}

TEST_F(ProductGlobals, ClearProductSavesThenForgets)
{
    globals_.ClearProduct();  // nothing set: nothing saved, nothing raised
    EXPECT_TRUE(Tree().isEmpty());

    globals_.SetProduct(QStringLiteral("Acme"), QStringLiteral("Demo"));
    vars_.SetStr(QStringLiteral("_g"), QStringLiteral("1"));
    globals_.ClearProduct();
    EXPECT_FALSE(globals_.HasProduct());
    EXPECT_EQ(globals_.ProductCompany(), QString());
    EXPECT_EQ(globals_.GlobalsFolder(), QString());
    EXPECT_EQ(ReadFileBytes(Data(QStringLiteral("Acme/Demo/globals.dat"))), Utf16LeBytes(QStringLiteral("_g=1\r\n")));

    const QString expected = QStringLiteral("Exception: Product info is not set.");
    EXPECT_EQ(MessageOf([&] { globals_.SaveGlobals(); }), expected);
    EXPECT_EQ(MessageOf([&] { globals_.LoadGlobals(); }), expected);
    EXPECT_EQ(vars_.Count(), 1);
}

TEST_F(ProductGlobals, NamesThatAreNoSingleFolderAreRefused)
{
    globals_.SetProduct(QStringLiteral("Acme"), QStringLiteral("Demo"));
    vars_.SetStr(QStringLiteral("_g"), QStringLiteral("1"));
    const QStringList before = Tree();

    const QString nul = QStringLiteral("a") + QChar(u'\0') + QStringLiteral("b");
    const std::pair<QString, QString> bad[] = {
        {QString(), QStringLiteral("..")},     {QString(), QStringLiteral(".")},
        {QString(), QStringLiteral("a/b")},    {QString(), QStringLiteral("a\\b")},
        {QString(), QStringLiteral("../../x")}, {QString(), nul},
        {QStringLiteral(".."), QStringLiteral("Demo")}, {QStringLiteral("a/b"), QStringLiteral("Demo")},
        {QStringLiteral("Acme"), QStringLiteral("..")},  {QStringLiteral("Other"), QString()},
    };
    for (const auto& [company, name] : bad) {
        const QString message = MessageOf([&] { globals_.SetProduct(company, name); });
        EXPECT_TRUE(message.startsWith(QStringLiteral("Exception: Invalid ")) && message.endsWith(u"must be a single folder name."))
            << message.toStdString();
    }
    EXPECT_EQ(MessageOf([&] { globals_.SetProduct(QString(), QStringLiteral("..")); }),
              QStringLiteral("Exception: Invalid product name \"..\": it must be a single folder name."));
    EXPECT_EQ(MessageOf([&] { globals_.SetProduct(QStringLiteral("a\\b"), QStringLiteral("x")); }),
              QStringLiteral("Exception: Invalid company name \"a\\b\": it must be a single folder name."));

    EXPECT_EQ(globals_.ProductName(), QStringLiteral("Demo"));
    EXPECT_EQ(vars_.GetStr(QStringLiteral("_g")), QStringLiteral("1"));
    EXPECT_EQ(Tree(), before);  // nothing saved for the old product, nothing created
    EXPECT_FALSE(QFileInfo::exists(data_.File(QStringLiteral("x"))));
}

TEST_F(ProductGlobals, FolderThatCannotBeCreatedLeavesTheProduct)
{
    WriteData(QStringLiteral("Blocked"), "a file, not a folder");
    globals_.SetProduct(QStringLiteral("Acme"), QStringLiteral("Demo"));
    vars_.SetStr(QStringLiteral("_g"), QStringLiteral("1"));

    EXPECT_EQ(MessageOf([&] { globals_.SetProduct(QStringLiteral("blocked"), QStringLiteral("Demo")); }),
              QStringLiteral("EOSError: Cannot create the globals folder \"%1\".").arg(Data(QStringLiteral("Blocked/Demo"))));
    EXPECT_EQ(globals_.ProductCompany(), QStringLiteral("Acme"));
    EXPECT_EQ(globals_.GlobalsFolder(), Data(QStringLiteral("Acme/Demo/")));
    EXPECT_EQ(vars_.GetStr(QStringLiteral("_g")), QStringLiteral("1"));
    EXPECT_FALSE(QFile::exists(Data(QStringLiteral("Acme/Demo/globals.dat"))));
}

TEST_F(ProductGlobals, NoDataFolderWithoutAHome)
{
    const QByteArray home = qgetenv("HOME");
    qunsetenv("XDG_DATA_HOME");
    qunsetenv("HOME");
    const QString message = MessageOf([&] { globals_.SetProduct(QStringLiteral("Acme"), QStringLiteral("Demo")); });
    qputenv("HOME", home);
    EXPECT_EQ(message, QStringLiteral("Exception: Cannot obtain special folder path."));
    EXPECT_FALSE(globals_.HasProduct());
}

TEST_F(ProductGlobals, SaveRecreatesARemovedFolder)
{
    globals_.SetProduct(QStringLiteral("Acme"), QStringLiteral("Demo"));
    vars_.SetStr(QStringLiteral("_g"), QStringLiteral("1"));
    QDir(Data(QStringLiteral("Acme"))).removeRecursively();
    globals_.SaveGlobals();
    EXPECT_EQ(ReadFileBytes(Data(QStringLiteral("Acme/Demo/globals.dat"))), Utf16LeBytes(QStringLiteral("_g=1\r\n")));
}
