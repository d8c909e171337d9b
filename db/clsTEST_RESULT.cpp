#include "db/clsTEST_RESULT.h"

#include "db/clsConnection.h"

namespace {

// Parameter names of each statement, in the order of its "?" marks.
constexpr tz::ParamNames kSelectParams = {"pTEST_ID"};
constexpr tz::ParamNames kInsertParams = {
    "pTEST_ID", "pRAMP_NO", "pRAMP_STEP_NO", "pRESULT_TIME", "pRESULT_SAMPLE_TEMP", "pRESULT_PRESS",
    "pRESULT_SHEAR_RATE", "pRESULT_SHEAR_STRESS", "pRESULT_TYPE_ID", "pRESULT_BATH_TEMP"};
constexpr tz::ParamNames kDeleteParams = {"pTEST_ID"};

}  // namespace

clsTEST_RESULT::clsTEST_RESULT()
    : KeyedRecordSet("clsTEST_RESULT",
                     {"TEST_RESULT_ID", "TEST_ID", "RAMP_NO", "RAMP_STEP_NO", "RESULT_TIME",
                      "RESULT_SAMPLE_TEMP", "RESULT_PRESS", "RESULT_SHEAR_RATE", "RESULT_SHEAR_STRESS",
                      "RESULT_TYPE_ID", "RESULT_BATH_TEMP"},
                     {kSelect, kSelectParams, kInsert, kInsertParams, kDelete, kDeleteParams})
{
    SetDefaults();
}

void clsTEST_RESULT::ConnectX(clsConnection& connection)
{
    connectAndSelect(connection, m_TEST_ID);
}

int clsTEST_RESULT::Test_Id() const
{
    return roundToInt(m_TEST_ID);
}

void clsTEST_RESULT::SetDefaults()
{
    m_TEST_RESULT_ID = m_TEST_ID = m_RAMP_NO = m_RAMP_STEP_NO = m_RESULT_TIME = 0;
    m_RESULT_SAMPLE_TEMP = m_RESULT_PRESS = m_RESULT_SHEAR_RATE = m_RESULT_SHEAR_STRESS = 0;
    m_RESULT_TYPE_ID = m_RESULT_BATH_TEMP = 0;
}

void clsTEST_RESULT::GetTestDetail()
{
    selectAndLoadFirst("GetTestDetail", m_TEST_ID);
}

void clsTEST_RESULT::AddNew()
{
    insertRow({m_TEST_ID, m_RAMP_NO, m_RAMP_STEP_NO, m_RESULT_TIME, m_RESULT_SAMPLE_TEMP, m_RESULT_PRESS,
               m_RESULT_SHEAR_RATE, m_RESULT_SHEAR_STRESS, m_RESULT_TYPE_ID, m_RESULT_BATH_TEMP});
    Refresh();
}

void clsTEST_RESULT::Delete()
{
    deleteRows(m_TEST_ID);
    Refresh();
}

QVariantList clsTEST_RESULT::All() const
{
    return {m_TEST_RESULT_ID, m_TEST_ID, m_RAMP_NO, m_RAMP_STEP_NO, m_RESULT_TIME,
            m_RESULT_SAMPLE_TEMP, m_RESULT_PRESS, m_RESULT_SHEAR_RATE, m_RESULT_SHEAR_STRESS,
            m_RESULT_TYPE_ID, m_RESULT_BATH_TEMP};
}

void clsTEST_RESULT::assign(int column, const QVariant& value)
{
    double* const members[] = {&m_TEST_RESULT_ID, &m_TEST_ID, &m_RAMP_NO, &m_RAMP_STEP_NO,
                               &m_RESULT_TIME, &m_RESULT_SAMPLE_TEMP, &m_RESULT_PRESS,
                               &m_RESULT_SHEAR_RATE, &m_RESULT_SHEAR_STRESS, &m_RESULT_TYPE_ID,
                               &m_RESULT_BATH_TEMP};
    *members[column] = toNumber(value);
}
