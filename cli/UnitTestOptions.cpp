#include "cli/UnitTestOptions.h"

#include "db/TestFieldLimits.h"
#include "testinfo/BobTable.h"

#include <QCommandLineParser>

#include <utility>

namespace tz::cli {

UnitTestOptions::UnitTestOptions()
    : comm_(QStringLiteral("comm"), QString(), QStringLiteral("K")),
      test_(QStringLiteral("test"), QString(), QStringLiteral("NAME")),
      bob_(QStringLiteral("bob"), QString(), QStringLiteral("CODE"), kDefaultBobCode),
      fluid_(QStringLiteral("fluid"), QString(), QStringLiteral("TEXT")),
      researcher_(QStringLiteral("researcher"), QString(), QStringLiteral("TEXT"), QStringLiteral("Unknown"))
{
}

void UnitTestOptions::addTo(QCommandLineParser& parser) const
{
    parser.addOptions({comm_, test_, bob_, fluid_, researcher_});
}

std::optional<int> UnitTestOptions::commNo(const QCommandLineParser& parser) const
{
    bool ok = false;
    const int comm = parser.value(comm_).toInt(&ok);
    if (!parser.isSet(comm_) || !ok || comm < 1 || comm > 22)
        return std::nullopt;
    return comm;
}

QString UnitTestOptions::commError() { return QStringLiteral("--comm takes a Comm number from 1 to 22"); }

QString UnitTestOptions::testName(const QCommandLineParser& parser) const { return parser.value(test_); }

QString UnitTestOptions::textError(const QCommandLineParser& parser) const
{
    if (parser.value(test_).isEmpty())
        return QStringLiteral("--test NAME is required");
    const std::pair<const QCommandLineOption*, TestTextField> texts[] = {
        {&test_, TestTextField::TestName},
        {&fluid_, TestTextField::FluidId},
        {&researcher_, TestTextField::ResearcherName},
    };
    for (const auto& [option, field] : texts) {
        const QString value = parser.value(*option);
        const FieldFault fault = checkTestField(field, value);
        if (fault != FieldFault::None)
            return fieldFaultText(fault, field, value, QStringLiteral("--") + option->names().constFirst());
    }
    return QString();
}

std::optional<TestInformation> UnitTestOptions::information(const QCommandLineParser& parser) const
{
    const std::optional<BobGeometry> bob = lookupBob(parser.value(bob_));
    if (!bob)
        return std::nullopt;
    TestInformation info;
    info.testName = parser.value(test_);
    info.fluidId = parser.value(fluid_);
    info.researcherName = parser.value(researcher_);
    info.bobNo = bob->code;
    info.bobRadiusCm = bob->radiusCm;
    info.bobEffLengthCm = bob->lengthCm;
    return info;
}

QString UnitTestOptions::bobError(const QCommandLineParser& parser) const
{
    return QStringLiteral("unknown bob \"%1\" (B1 ... B5, XB1, XB2, XB3, XB5)").arg(parser.value(bob_));
}

}  // namespace tz::cli
