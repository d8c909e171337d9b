#include "db/TestFieldLimits.h"

#include <utility>

namespace tz {

namespace {

// A character that breaks a one-line text: every control character (CR, LF,
// tab, NUL, ...) and the Unicode line and paragraph separators.
bool breaksLine(QChar c)
{
    const QChar::Category category = c.category();
    return category == QChar::Other_Control || category == QChar::Separator_Line ||
           category == QChar::Separator_Paragraph;
}

// The description is notes typed over several lines: line breaks and tabs
// belong there, any other control character does not.
bool allowedInNotes(QChar c)
{
    return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('\t') ||
           c.category() == QChar::Separator_Line || c.category() == QChar::Separator_Paragraph;
}

}  // namespace

int maxLength(TestTextField field)
{
    // The column sizes of TEST_INFO and TEST_ADDITIVE.
    switch (field) {
    case TestTextField::Description: return 1000;
    case TestTextField::TestName:
    case TestTextField::FluidId:
    case TestTextField::ResearcherName:
    case TestTextField::RotorNo:
    case TestTextField::BobNo:
    case TestTextField::AdditiveName:
    case TestTextField::AdditiveUnit:
    case TestTextField::AdditiveLotNo: return 40;
    }
    return 40;
}

QString fieldTitle(TestTextField field)
{
    switch (field) {
    case TestTextField::TestName: return QStringLiteral("Test Name");
    case TestTextField::FluidId: return QStringLiteral("Fluid ID");
    case TestTextField::ResearcherName: return QStringLiteral("Researcher's Name");
    case TestTextField::RotorNo: return QStringLiteral("Rotor Number");
    case TestTextField::BobNo: return QStringLiteral("Bob Number");
    case TestTextField::Description: return QStringLiteral("Description, Notes and Comments");
    case TestTextField::AdditiveName: return QStringLiteral("Additive Name");
    case TestTextField::AdditiveUnit: return QStringLiteral("Units");
    case TestTextField::AdditiveLotNo: return QStringLiteral("Lot Number");
    }
    return QString();
}

FieldFault checkTestField(TestTextField field, const QString& value)
{
    if (field == TestTextField::TestName && value.trimmed().isEmpty())
        return FieldFault::Blank;
    const bool notes = field == TestTextField::Description;
    for (const QChar c : value)
        if (breaksLine(c) && !(notes && allowedInNotes(c)))
            return FieldFault::ControlCharacter;
    if (value.size() > maxLength(field))
        return FieldFault::TooLong;
    return FieldFault::None;
}

QString fieldFaultText(FieldFault fault, TestTextField field, const QString& value, const QString& shownAs)
{
    switch (fault) {
    case FieldFault::None: return QString();
    case FieldFault::Blank: return QStringLiteral("%1: a test name of blanks only is not allowed").arg(shownAs);
    case FieldFault::TooLong:
        return QStringLiteral("%1: at most %2 characters are allowed (%3 given)")
            .arg(shownAs)
            .arg(maxLength(field))
            .arg(value.size());
    case FieldFault::ControlCharacter:
        return field == TestTextField::Description
            ? QStringLiteral("%1: control characters other than line breaks and tabs are not allowed").arg(shownAs)
            : QStringLiteral("%1: line breaks and other control characters are not allowed").arg(shownAs);
    }
    return QString();
}

namespace {

std::optional<QString> fieldProblem(const TestInformation& info, const QList<AdditiveEntry>& additives,
                                    bool withName)
{
    const auto check = [](TestTextField field, const QString& value, const QString& shownAs) -> std::optional<QString> {
        const FieldFault fault = checkTestField(field, value);
        if (fault == FieldFault::None)
            return std::nullopt;
        return fieldFaultText(fault, field, value, shownAs);
    };
    const std::pair<TestTextField, const QString*> texts[] = {
        {TestTextField::TestName, &info.testName},   {TestTextField::FluidId, &info.fluidId},
        {TestTextField::ResearcherName, &info.researcherName}, {TestTextField::RotorNo, &info.rotorNo},
        {TestTextField::BobNo, &info.bobNo},         {TestTextField::Description, &info.safety},
    };
    for (const auto& [field, value] : texts) {
        if (!withName && field == TestTextField::TestName)
            continue;
        if (auto problem = check(field, *value, fieldTitle(field)))
            return problem;
    }
    for (qsizetype i = 0; i < additives.size() && i < kMaxAdditives; ++i) {
        const AdditiveEntry& a = additives[i];
        if (a.name.isEmpty())
            break;
        const QString row = QStringLiteral("Additive %1, ").arg(i + 1);
        for (const auto& [field, value] : {std::pair{TestTextField::AdditiveName, &a.name},
                                           std::pair{TestTextField::AdditiveUnit, &a.unit},
                                           std::pair{TestTextField::AdditiveLotNo, &a.lotNo}})
            if (auto problem = check(field, *value, row + fieldTitle(field)))
                return problem;
    }
    return std::nullopt;
}

}  // namespace

std::optional<QString> newTestFieldProblem(const TestInformation& info, const QList<AdditiveEntry>& additives)
{
    return fieldProblem(info, additives, true);
}

std::optional<QString> editedTestFieldProblem(const TestInformation& info, const QList<AdditiveEntry>& additives)
{
    return fieldProblem(info, additives, false);
}

}  // namespace tz
