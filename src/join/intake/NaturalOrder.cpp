#include "join/intake/NaturalOrder.h"

#include <QString>

namespace velmora {
namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

int sign(int value)
{
    return (value > 0) - (value < 0);
}

// The natural comparison without the final tie-break.
int compareIgnoringCaseAndZeros(const QString& x, const QString& y)
{
    qsizetype i = 0, j = 0;
    while (i < x.size() && j < y.size()) {
        const bool digitX = isDigit(x[i]), digitY = isDigit(y[j]);
        if (digitX && digitY) {
            qsizetype endX = i, endY = j;
            while (endX < x.size() && isDigit(x[endX]))
                ++endX;
            while (endY < y.size() && isDigit(y[endY]))
                ++endY;
            // Leading zeros carry no value: "007" equals "7" here.
            while (i + 1 < endX && x[i] == QLatin1Char('0'))
                ++i;
            while (j + 1 < endY && y[j] == QLatin1Char('0'))
                ++j;
            if (endX - i != endY - j)
                return endX - i < endY - j ? -1 : 1;
            for (; i < endX; ++i, ++j) {
                if (x[i] != y[j])
                    return x[i] < y[j] ? -1 : 1;
            }
            j = endY;
            continue;
        }
        if (digitX != digitY) {
            const char16_t a = x[i].toCaseFolded().unicode(), b = y[j].toCaseFolded().unicode();
            return a < b ? -1 : 1;
        }
        qsizetype endX = i, endY = j;
        while (endX < x.size() && !isDigit(x[endX]))
            ++endX;
        while (endY < y.size() && !isDigit(y[endY]))
            ++endY;
        const int text = QStringView(x).sliced(i, endX - i).compare(QStringView(y).sliced(j, endY - j), Qt::CaseInsensitive);
        if (text != 0)
            return sign(text);
        i = endX;
        j = endY;
    }
    if (i < x.size())
        return 1;
    if (j < y.size())
        return -1;
    return 0;
}

// Spaces do not separate what people read as one name: "part 3" sorts
// between "part2" and "part10".
QString withoutSpaces(const std::string& text)
{
    QString result = QString::fromUtf8(text);
    result.removeIf([](QChar c) { return c.isSpace(); });
    return result;
}

}  // namespace

int naturalCompare(const std::string& a, const std::string& b)
{
    if (const int order = compareIgnoringCaseAndZeros(withoutSpaces(a), withoutSpaces(b)))
        return order;
    return sign(a.compare(b));
}

bool naturalLess(const std::string& a, const std::string& b)
{
    return naturalCompare(a, b) < 0;
}

int naturalPathCompare(const std::string& a, const std::string& b)
{
    size_t i = 0, j = 0;
    for (;;) {
        const size_t endA = std::min(a.find('/', i), a.size());
        const size_t endB = std::min(b.find('/', j), b.size());
        if (const int order = naturalCompare(a.substr(i, endA - i), b.substr(j, endB - j)))
            return order;
        const bool lastA = endA == a.size(), lastB = endB == b.size();
        if (lastA || lastB)
            return lastA == lastB ? 0 : (lastA ? -1 : 1);
        i = endA + 1;
        j = endB + 1;
    }
}

bool naturalPathLess(const std::string& a, const std::string& b)
{
    return naturalPathCompare(a, b) < 0;
}

}  // namespace velmora
