#pragma once
// What a test's texts may hold, checked before anything is stored: a value
// longer than its column, or one carrying a line break, is taken on the bench
// but breaks later (the lab server refuses it, the fixed-column reports and
// the copy to the server cannot carry it). The dialogs, tz360-cli and the
// storing code all ask here, so they agree on the sizes and the wording.
#include "db/NewTest.h"

#include <QList>
#include <QString>

#include <optional>

namespace tz {

enum class TestTextField {
    TestName,        // TEST_NAME
    FluidId,         // FLUID_ID
    ResearcherName,  // RESEARCHER_NAME
    RotorNo,         // ROTOR_NO
    BobNo,           // BOB_NO
    Description,     // SAFETY: notes of several lines
    AdditiveName,    // ADDITIVE_NM
    AdditiveUnit,    // ADD_UNIT
    AdditiveLotNo,   // ADD_LOTNO
};

// The longest text the field's column holds, in characters (UTF-16 code
// units, never fewer than the server counts).
int maxLength(TestTextField field);

// The field as the test information dialog labels it.
QString fieldTitle(TestTextField field);

enum class FieldFault {
    None,
    Blank,             // a test name that is empty or only blanks
    TooLong,
    ControlCharacter,  // CR, LF, tab or any other control character; the description may hold line breaks and tabs
};

FieldFault checkTestField(TestTextField field, const QString& value);

// One line that names the field as the reader knows it (`shownAs`: a dialog
// label, a command-line option) and says what is wrong; empty for None.
QString fieldFaultText(FieldFault fault, TestTextField field, const QString& value, const QString& shownAs);

// The first text of a new test that cannot be stored as given, as one line
// naming the field; nullopt when every text fits. Only the additives that
// would be stored are looked at (up to the first without a name, at most 20).
std::optional<QString> newTestFieldProblem(const TestInformation& info, const QList<AdditiveEntry>& additives);
// The same for the edit of a stored test, whose name is kept as it is.
std::optional<QString> editedTestFieldProblem(const TestInformation& info, const QList<AdditiveEntry>& additives);

}  // namespace tz
