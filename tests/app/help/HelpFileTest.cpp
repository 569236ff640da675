#include "help/HelpFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

QByteArray Utf8(const char* text)
{
    return QByteArray(text);
}

QString ParseError(const QByteArray& bytes)
{
    try {
        HelpFile::Parse(bytes);
    } catch (const std::runtime_error& error) {
        return QString::fromUtf8(error.what());
    }
    return {};
}

// The shipped help files, in the source tree.
QString ShippedAides()
{
    return QStringLiteral(QUORIN_SOURCE_DIR "/resources/Aides");
}

TEST(HelpFileTest, Parse_ReadsTitleTopicsKeywordsAndBodies)
{
    const HelpFile file = HelpFile::Parse(Utf8("QUORIN-AIDE 1\r\n"
                                               "% comment\r\n"
                                               "titre: Aide d'essai\r\n"
                                               "\r\n"
                                               "@sujet 4 La fenêtre\r\n"
                                               "@index fenêtre; menus ;; fenêtre\r\n"
                                               "<p>Corps</p>\r\n"
                                               "% ignored inside a topic too\r\n"
                                               "<p>suite</p>\r\n"
                                               "@sujet 12 Étalonner l'électrode\n"
                                               "@index étalonnage\n"));
    EXPECT_EQ(file.Title(), QStringLiteral("Aide d'essai"));
    ASSERT_EQ(file.Topics().size(), 2u);
    const HelpTopic* four = file.Topic(4);
    ASSERT_NE(four, nullptr);
    EXPECT_EQ(four->title, QStringLiteral("La fenêtre"));
    EXPECT_EQ(four->keywords, (QStringList{QStringLiteral("fenêtre"), QStringLiteral("menus")}));
    EXPECT_EQ(four->body, QStringLiteral("<p>Corps</p>\n<p>suite</p>\n"));
    EXPECT_EQ(file.Topic(12)->title, QStringLiteral("Étalonner l'électrode"));
    EXPECT_EQ(file.Topic(5), nullptr);
}

TEST(HelpFileTest, Parse_RefusesMalformedFilesWithTheLine)
{
    struct Case {
        const char* bytes;
        const char* expectedPart;
    };
    const Case cases[] = {
        {"", "ce n'est pas un fichier d'aide de Quorin"},
        {"?_HLP binary junk\n@sujet 1 A\n", "ce n'est pas un fichier d'aide de Quorin"},
        {"QUORIN-AIDE 1\n", "aucun sujet"},
        {"QUORIN-AIDE 1\ntext before\n@sujet 1 A\n", "ligne 2 : texte placé avant"},
        {"QUORIN-AIDE 1\n@index a\n@sujet 1 A\n", "ligne 2 : une entrée d'index"},
        {"QUORIN-AIDE 1\n@sujet quatre A\n", "ligne 2 : numéro de sujet incorrect « quatre »"},
        {"QUORIN-AIDE 1\n@sujet 0 A\n", "ligne 2 : numéro de sujet incorrect"},
        {"QUORIN-AIDE 1\n@sujet +4 A\n", "ligne 2 : numéro de sujet incorrect"},
        {"QUORIN-AIDE 1\n@sujet 100000 A\n", "ligne 2 : numéro de sujet incorrect"},
        {"QUORIN-AIDE 1\n@sujet 99999999999999999999 A\n", "ligne 2 : numéro de sujet incorrect"},
        {"QUORIN-AIDE 1\n@sujet 3\n", "ligne 2 : le sujet 3 n'a pas de titre"},
        {"QUORIN-AIDE 1\n@sujet 3 A\n\n@sujet 3 B\n", "ligne 4 : le sujet 3 est défini deux fois"},
        {"QUORIN-AIDE 1\n@sujet 3 A\n@image x.png\n", "ligne 3 : commande inconnue « @image »"},
        {"QUORIN-AIDE 1\n@sujet 3 \xE9t\xE9\n", "UTF-8"},
    };
    for (const Case& c : cases) {
        const QString error = ParseError(QByteArray(c.bytes));
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.expectedPart))) << c.bytes << " -> " << error.toStdString();
    }
}

TEST(HelpFileTest, Parse_AcceptsAByteOrderMarkAndADirectiveAsAPrefixOfAWord)
{
    // "@sujets" is not the directive "@sujet": it is an unknown command, not topic "s".
    EXPECT_TRUE(ParseError(Utf8("\xEF\xBB\xBFQUORIN-AIDE 1\n@sujet 1 A\n")).isEmpty());
    EXPECT_TRUE(ParseError(Utf8("QUORIN-AIDE 1\n@sujets 1 A\n")).contains(QStringLiteral("commande inconnue")));
}

TEST(HelpFileTest, Index_SortsInFrenchOrderAcrossTopics)
{
    const HelpFile file = HelpFile::Parse(Utf8("QUORIN-AIDE 1\n"
                                               "@sujet 1 A\n@index réseau; Mesure\n"
                                               "@sujet 2 B\n@index étalonnage; copier\n"));
    QStringList keywords;
    QList<int> topics;
    for (const auto& entry : file.Index()) {
        keywords << entry.keyword;
        topics << entry.topic;
    }
    EXPECT_EQ(keywords, (QStringList{QStringLiteral("copier"), QStringLiteral("étalonnage"), QStringLiteral("Mesure"),
                                     QStringLiteral("réseau")}));
    EXPECT_EQ(topics, (QList<int>{2, 2, 1, 1}));
}

TEST(HelpFileTest, SearchKey_IgnoresCaseAndAccents)
{
    EXPECT_EQ(HelpFile::SearchKey(QStringLiteral("Étalonnage")), HelpFile::SearchKey(QStringLiteral("etalonnage")));
    EXPECT_EQ(HelpFile::SearchKey(QStringLiteral("RÉSEAU")), QStringLiteral("reseau"));
    EXPECT_NE(HelpFile::SearchKey(QStringLiteral("pH 4")), HelpFile::SearchKey(QStringLiteral("pH 7")));
}

TEST(HelpFileTest, Load_NamesTheFileInEveryError)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("Vexbase7.Hlp"));
    const QString bad = dir.filePath(QStringLiteral("bad.hlp"));
    const QString big = dir.filePath(QStringLiteral("big.hlp"));
    QFile badFile(bad);
    ASSERT_TRUE(badFile.open(QIODevice::WriteOnly));
    badFile.write("QUORIN-AIDE 1\n@sujet x\n");
    badFile.close();
    QFile bigFile(big);
    ASSERT_TRUE(bigFile.open(QIODevice::WriteOnly));
    bigFile.write("QUORIN-AIDE 1\n@sujet 1 A\n");
    bigFile.write(QByteArray(HelpFile::kMaxFileBytes, 'x'));
    bigFile.close();

    const struct {
        QString path;
        QString expected;
    } cases[] = {
        {missing, QStringLiteral("Le fichier d'aide « %1 » est introuvable.").arg(missing)},
        {dir.path(), QStringLiteral("Le fichier d'aide « %1 » ne peut pas être lu.").arg(dir.path())},
        {bad, QStringLiteral("Le fichier d'aide « %1 » est illisible, ligne 2 :").arg(bad)},
        {big, QStringLiteral("Le fichier d'aide « %1 » est trop volumineux").arg(big)},
    };
    for (const auto& c : cases) {
        try {
            HelpFile::Load(c.path);
            ADD_FAILURE() << "no error for " << c.path.toStdString();
        } catch (const std::runtime_error& error) {
            EXPECT_TRUE(QString::fromUtf8(error.what()).startsWith(c.expected)) << error.what();
        }
    }
}

TEST(HelpFileTest, ShippedHelpFiles_HaveTopicFourAndCoverTheBenchWork)
{
    // What a student at the bench looks for, as index entries of both files.
    const QStringList subjects = {QStringLiteral("étalonnage"), QStringLiteral("mesure"),  QStringLiteral("fichier"),
                                  QStringLiteral("réduction"),  QStringLiteral("copier"),  QStringLiteral("réseau")};
    for (const QString& name : {QStringLiteral("Vexbase7.Hlp"), QStringLiteral("Vexbase.hlp")}) {
        SCOPED_TRACE(name.toStdString());
        const HelpFile file = HelpFile::Load(QDir(ShippedAides()).filePath(name));
        ASSERT_NE(file.Topic(4), nullptr);
        EXPECT_FALSE(file.Title().isEmpty());
        QStringList keys;
        for (const auto& entry : file.Index())
            keys << HelpFile::SearchKey(entry.keyword);
        for (const QString& subject : subjects)
            EXPECT_TRUE(keys.contains(HelpFile::SearchKey(subject))) << subject.toStdString();
        // Every link leads to a topic of the same file.
        for (const HelpTopic& topic : file.Topics()) {
            qsizetype at = 0;
            const QString marker = QStringLiteral("href=\"sujet:");
            while ((at = topic.body.indexOf(marker, at)) >= 0) {
                at += marker.size();
                const int target = topic.body.mid(at, topic.body.indexOf(QLatin1Char('"'), at) - at).toInt();
                EXPECT_NE(file.Topic(target), nullptr) << "topic " << topic.number << " links to " << target;
            }
        }
    }
}

}  // namespace
