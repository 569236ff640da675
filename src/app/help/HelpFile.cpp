#include "help/HelpFile.h"

#include <QCollator>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStringDecoder>

#include <algorithm>
#include <stdexcept>

namespace {

const QString kMagic = QStringLiteral("QUORIN-AIDE 1");
const QString kTitleDirective = QStringLiteral("titre:");
const QString kTopicDirective = QStringLiteral("@sujet");
const QString kIndexDirective = QStringLiteral("@index");

[[noreturn]] void Fail(const QString& message)
{
    throw std::runtime_error(message.toStdString());
}

[[noreturn]] void FailAt(int line, const QString& message)
{
    Fail(QStringLiteral("ligne %1 : %2").arg(line).arg(message));
}

// "@sujet 12 Titre" -> the words after the directive; the directive must stand alone as a word.
bool IsDirective(const QString& line, const QString& directive)
{
    return line.startsWith(directive)
           && (line.size() == directive.size() || line.at(directive.size()).isSpace());
}

HelpTopic ParseTopicLine(const QString& line, int lineNumber)
{
    const QString rest = line.mid(kTopicDirective.size()).trimmed();
    const qsizetype space = rest.indexOf(QLatin1Char(' '));
    const QString numberText = space < 0 ? rest : rest.left(space);
    bool ok = false;
    const int number = numberText.toInt(&ok);
    // Digits only: toInt alone would take "+4" or " 4".
    const bool digitsOnly = !numberText.isEmpty()
                            && std::all_of(numberText.begin(), numberText.end(),
                                           [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
    if (!ok || !digitsOnly || number < 1 || number > HelpFile::kMaxTopicNumber)
        FailAt(lineNumber, QStringLiteral("numéro de sujet incorrect « %1 » (un nombre entier de 1 à %2 est attendu).")
                               .arg(numberText)
                               .arg(HelpFile::kMaxTopicNumber));
    HelpTopic topic;
    topic.number = number;
    topic.title = space < 0 ? QString() : rest.mid(space + 1).trimmed();
    if (topic.title.isEmpty())
        FailAt(lineNumber, QStringLiteral("le sujet %1 n'a pas de titre.").arg(number));
    return topic;
}

}  // namespace

HelpFile HelpFile::Load(const QString& path)
{
    const QString shown = QFileInfo(path).absoluteFilePath();
    QFile file(path);
    if (!file.exists())
        Fail(QStringLiteral("Le fichier d'aide « %1 » est introuvable.").arg(shown));
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        Fail(QStringLiteral("Le fichier d'aide « %1 » ne peut pas être lu.").arg(shown));
    // Read one byte more than allowed, so an oversized file is seen without reading all of it.
    const QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (bytes.size() > kMaxFileBytes)
        Fail(QStringLiteral("Le fichier d'aide « %1 » est trop volumineux (plus de %2 Kio).")
                 .arg(shown)
                 .arg(kMaxFileBytes / 1024));
    try {
        return Parse(bytes);
    } catch (const std::runtime_error& error) {
        Fail(QStringLiteral("Le fichier d'aide « %1 » est illisible, %2").arg(shown, QString::fromUtf8(error.what())));
    }
}

HelpFile HelpFile::Parse(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        Fail(QStringLiteral("le texte n'est pas écrit en UTF-8."));
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);

    HelpFile result;
    const QStringList lines = text.split(QLatin1Char('\n'));
    HelpTopic* current = nullptr;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const int lineNumber = static_cast<int>(i) + 1;
        if (i == 0) {
            if (line.trimmed() != kMagic)
                Fail(QStringLiteral("ce n'est pas un fichier d'aide de Quorin (la première ligne doit être « %1 »).")
                         .arg(kMagic));
            continue;
        }
        if (line.startsWith(QLatin1Char('%')))
            continue;
        if (IsDirective(line, kTopicDirective)) {
            HelpTopic topic = ParseTopicLine(line, lineNumber);
            if (result.Topic(topic.number) != nullptr)
                FailAt(lineNumber, QStringLiteral("le sujet %1 est défini deux fois.").arg(topic.number));
            result.topics.push_back(std::move(topic));
            current = &result.topics.back();
            continue;
        }
        if (IsDirective(line, kIndexDirective)) {
            if (current == nullptr)
                FailAt(lineNumber, QStringLiteral("une entrée d'index doit suivre un « @sujet »."));
            const QStringList words = line.mid(kIndexDirective.size()).split(QLatin1Char(';'));
            for (const QString& word : words) {
                const QString keyword = word.trimmed();
                if (!keyword.isEmpty() && !current->keywords.contains(keyword))
                    current->keywords.append(keyword);
            }
            continue;
        }
        if (line.startsWith(QLatin1Char('@')))
            FailAt(lineNumber, QStringLiteral("commande inconnue « %1 ».").arg(line.section(QLatin1Char(' '), 0, 0)));
        if (current == nullptr) {
            if (line.startsWith(kTitleDirective))
                result.title = line.mid(kTitleDirective.size()).trimmed();
            else if (!line.trimmed().isEmpty())
                FailAt(lineNumber, QStringLiteral("texte placé avant le premier « @sujet »."));
            continue;
        }
        current->body += line;
        current->body += QLatin1Char('\n');
    }
    if (result.topics.empty())
        Fail(QStringLiteral("le fichier ne contient aucun sujet."));
    return result;
}

QString HelpFile::SearchKey(const QString& text)
{
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    QString key;
    key.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        if (c.category() != QChar::Mark_NonSpacing)
            key.append(c.toLower());
    }
    return key.trimmed();
}

const HelpTopic* HelpFile::Topic(int number) const
{
    const auto found = std::find_if(topics.begin(), topics.end(), [number](const HelpTopic& t) { return t.number == number; });
    return found == topics.end() ? nullptr : &*found;
}

std::vector<HelpFile::IndexEntry> HelpFile::Index() const
{
    std::vector<IndexEntry> entries;
    for (const HelpTopic& topic : topics) {
        for (const QString& keyword : topic.keywords)
            entries.push_back({keyword, topic.number});
    }
    QCollator collator{QLocale(QLocale::French, QLocale::France)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(entries.begin(), entries.end(), [&collator](const IndexEntry& a, const IndexEntry& b) {
        return collator.compare(a.keyword, b.keyword) < 0;
    });
    return entries;
}
