#pragma once
// The options tz360-cli run and retrieve share: the unit's Comm port and the
// new test's name, bob, fluid and researcher, read and checked one way.
#include "db/NewTest.h"

#include <QCommandLineOption>
#include <QString>

#include <optional>

class QCommandLineParser;

namespace tz::cli {

class UnitTestOptions {
public:
    UnitTestOptions();
    void addTo(QCommandLineParser& parser) const;

    // The Comm number (1 ... 22), or nullopt: then commError() says why.
    std::optional<int> commNo(const QCommandLineParser& parser) const;
    static QString commError();

    QString testName(const QCommandLineParser& parser) const;

    // Empty when the test name, fluid and researcher given can be stored;
    // otherwise one line naming the option: no name, a name of blanks, a text
    // longer than its column or holding a line break. Checked before the
    // database or the port is opened, so nothing is sent to the unit for a
    // test that could not be stored.
    QString textError(const QCommandLineParser& parser) const;

    // The new test's information from the name, bob, fluid and researcher
    // given, or nullopt for an unknown bob code: then bobError() says why.
    std::optional<TestInformation> information(const QCommandLineParser& parser) const;
    QString bobError(const QCommandLineParser& parser) const;

private:
    QCommandLineOption comm_, test_, bob_, fluid_, researcher_;
};

}  // namespace tz::cli
