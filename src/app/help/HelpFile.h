#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

// One topic of a help file: the number the program asks for (F1 asks for 4), a title for the
// contents list, index entries and a body in the rich-text subset that QTextBrowser shows.
struct HelpTopic {
    int number = 0;
    QString title;
    QStringList keywords;
    QString body;
};

// A help file in Quorin's own text format, UTF-8, one directive or body line per line:
//
//   QUORIN-AIDE 1          first line, always
//   titre: <text>          before the first topic: the file's title
//   @sujet <N> <title>     starts topic N (1 to 99999, each number once)
//   @index <a>; <b>; ...   inside a topic: index entries that lead to it
//   % ...                  a comment, anywhere
//
// Every other line belongs to the body of the current topic; blank lines may stand before the
// first topic. A link <a href="sujet:N"> in a body leads to topic N.
class HelpFile {
public:
    struct IndexEntry {
        QString keyword;
        int topic = 0;
    };

    static constexpr qint64 kMaxFileBytes = 1024 * 1024;
    static constexpr int kMaxTopicNumber = 99999;

    // Reads and parses a help file. Throws std::runtime_error whose what() is a French message
    // (UTF-8) naming the file: missing, unreadable, too large, or not in the format.
    static HelpFile Load(const QString& path);
    // Parses the bytes of a help file; errors name the line ("ligne 12 : ...").
    static HelpFile Parse(const QByteArray& bytes);

    // The form of a text that index searches compare: lower case, accents removed, so that
    // "etalonnage" typed finds "Étalonnage".
    static QString SearchKey(const QString& text);

    QString Title() const { return title; }
    const std::vector<HelpTopic>& Topics() const { return topics; }
    // The topic with this number, or nullptr.
    const HelpTopic* Topic(int number) const;
    // Every index entry of every topic, in French alphabetical order.
    std::vector<IndexEntry> Index() const;

private:
    QString title;
    std::vector<HelpTopic> topics;
};
