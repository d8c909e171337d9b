#include "db/clsTEST_INFO.h"

#include "db/clsConnection.h"

namespace {

// Parameter names of each statement, in the order of its "?" marks.
constexpr tz::ParamNames kSelectByNameParams = {"pTEST_NAME"};
constexpr tz::ParamNames kSelectByIdParams = {"pTEST_ID"};
constexpr tz::ParamNames kInsertParams = {
    "pTEST_NAME", "pFluid_ID", "pTEST_TIME", "pRESEARCHER_NAME", "pROTOR_NO", "pBOB_NO",
    "pBOB_RADIUS", "pBOB_EFF_LENGTH", "pPRETEST_PH", "pPOSTTEST_PH", "pSAFETY"};
constexpr tz::ParamNames kUpdateParams = {
    "pTEST_NAME", "pFluid_ID", "pTEST_TIME", "pRESEARCHER_NAME", "pROTOR_NO", "pBOB_NO",
    "pBOB_RADIUS", "pBOB_EFF_LENGTH", "pPRETEST_PH", "pPOSTTEST_PH", "pSAFETY", "pTEST_ID"};
constexpr tz::ParamNames kDeleteParams = {"pTEST_NAME"};

enum class Col { TEST_ID, TEST_NAME, FLUID_ID, TEST_TIME, RESEARCHER_NAME, ROTOR_NO, BOB_NO,
              BOB_RADIUS, BOB_EFF_LENGTH, PRETEST_PH, POSTTEST_PH, SAFETY };

}  // namespace

QDateTime clsTEST_INFO::noTimeSentinel()
{
    return QDateTime(QDate(1800, 1, 1), QTime(0, 0));
}

clsTEST_INFO::clsTEST_INFO()
    : RecordSet("clsTEST_INFO",
                {"TEST_ID", "TEST_NAME", "FLUID_ID", "TEST_TIME", "RESEARCHER_NAME", "ROTOR_NO",
                 "BOB_NO", "BOB_RADIUS", "BOB_EFF_LENGTH", "PRETEST_PH", "POSTTEST_PH", "SAFETY"})
{
    SetDefaults();
}

void clsTEST_INFO::prepareAll(clsConnection& connection)
{
    bindConnection(connection, [this] {
        m_selectByName = prepare(kSelectByName);
        m_selectById = prepare(kSelectById);
        m_list = prepare(kList);
        m_insert = prepareInsert(kInsert);
        m_update = prepare(kUpdate);
        m_delete = prepare(kDelete);
    });
}

void clsTEST_INFO::ConnectX4(clsConnection& connection)
{
    prepareAll(connection);
    query(*m_selectById, kSelectByIdParams, {m_TEST_ID});
}

void clsTEST_INFO::ConnectX(clsConnection& connection)
{
    prepareAll(connection);
    query(*m_list, {}, {});
}

void clsTEST_INFO::SetDefaults()
{
    m_TEST_ID = 0;
    m_TEST_NAME.clear();
    m_FLUID_ID.clear();
    m_TEST_TIME = QDateTime::currentDateTime();
    m_RESEARCHER_NAME = QStringLiteral("UNKOWN");
    m_ROTOR_NO = QStringLiteral("R1");
    m_BOB_NO = QStringLiteral("B5");
    m_BOB_RADIUS = 1.5987;
    m_BOB_EFF_LENGTH = 7.62;
    m_PRETEST_PH = 7;
    m_POSTTEST_PH = 7;
    m_SAFETY.clear();
}

void clsTEST_INFO::GetTestDetail()
{
    requireConnection("GetTestDetail");
    query(*m_selectByName, kSelectByNameParams, {m_TEST_NAME});
    loadFirstOrDefaults();
}

QVariantList clsTEST_INFO::insertValues(const QString& name) const
{
    return {name, m_FLUID_ID, dateParam(m_TEST_TIME), m_RESEARCHER_NAME, m_ROTOR_NO, m_BOB_NO,
            m_BOB_RADIUS, m_BOB_EFF_LENGTH, m_PRETEST_PH, m_POSTTEST_PH, m_SAFETY};
}

void clsTEST_INFO::AddNew()
{
    requireConnection("AddNew");
    executeInsert(*m_insert, kInsertParams, insertValues(m_TEST_NAME));
    Refresh();
}

void clsTEST_INFO::Update()
{
    requireConnection("Update");
    QVariantList values = insertValues(m_TEST_NAME);
    if (m_TEST_TIME == noTimeSentinel())
        values[static_cast<int>(Col::TEST_TIME) - 1] = QVariant(QMetaType(QMetaType::QDateTime));
    values << roundToInt(m_TEST_ID);
    // With several workstations on one database the test may have been
    // deleted elsewhere since it was opened: say so rather than report a save.
    if (execute(*m_update, kUpdateParams, values) == 0)
        throw tz::DbError(QStringLiteral("The test \"%1\" is no longer stored; it may have been "
                                         "deleted at another workstation.").arg(m_TEST_NAME));
}

QVariantList clsTEST_INFO::All() const
{
    return {m_TEST_ID, m_TEST_NAME, m_FLUID_ID, m_TEST_TIME, m_RESEARCHER_NAME, m_ROTOR_NO,
            m_BOB_NO, m_BOB_RADIUS, m_BOB_EFF_LENGTH, m_PRETEST_PH, m_POSTTEST_PH, m_SAFETY,
            QVariant()};
}

void clsTEST_INFO::Delete()
{
    requireConnection("Delete");
    execute(*m_delete, kDeleteParams, {m_TEST_NAME});
    Refresh();
}

void clsTEST_INFO::SaveAs(const QString& newName)
{
    requireConnection("SaveAs");
    executeInsert(*m_insert, kInsertParams, insertValues(newName));
    Refresh();
}

void clsTEST_INFO::assign(int column, const QVariant& value)
{
    switch (static_cast<Col>(column)) {
    case Col::TEST_ID: m_TEST_ID = toNumber(value); break;
    case Col::TEST_NAME: m_TEST_NAME = toText(value); break;
    case Col::FLUID_ID: m_FLUID_ID = toText(value); break;
    case Col::TEST_TIME: m_TEST_TIME = toDate(value); break;
    case Col::RESEARCHER_NAME: m_RESEARCHER_NAME = toText(value); break;
    case Col::ROTOR_NO: m_ROTOR_NO = toText(value); break;
    case Col::BOB_NO: m_BOB_NO = toText(value); break;
    case Col::BOB_RADIUS: m_BOB_RADIUS = toNumber(value); break;
    case Col::BOB_EFF_LENGTH: m_BOB_EFF_LENGTH = toNumber(value); break;
    case Col::PRETEST_PH: m_PRETEST_PH = toNumber(value); break;
    case Col::POSTTEST_PH: m_POSTTEST_PH = toNumber(value); break;
    case Col::SAFETY: m_SAFETY = toText(value); break;
    }
}

void clsTEST_INFO::assignNull(int column)
{
    // A test stored without a start time (by another program, or before the
    // time was kept) has none: the current clock would be a made-up time.
    if (static_cast<Col>(column) == Col::TEST_TIME)
        m_TEST_TIME = QDateTime();
}
