#include "db/clsSEQUENCE_RAMP.h"

namespace {

// Parameter names of each statement, in the order of its "?" marks.
constexpr tz::ParamNames kSelectParams = {"pSEQUENCE_ID"};
constexpr tz::ParamNames kInsertParams = {"pSequence_Id", "pRAMP_NO", "pRAMP_ELAPSE_TIME", "pRAMP_TEMP",
                                          "pRAMP_START_ERROR", "pSHEAR_RATE", "pRUN_RAMP"};
constexpr tz::ParamNames kDeleteParams = {"pSEQUENCE_ID"};

}  // namespace

clsSEQUENCE_RAMP::clsSEQUENCE_RAMP()
    : KeyedRecordSet("clsSEQUENCE_RAMP",
                     {"SEQUENCE_RAMP_ID", "SEQUENCE_ID", "RAMP_NO", "RAMP_ELAPSE_TIME", "RAMP_TEMP",
                      "RAMP_START_ERROR", "SHEAR_RATE", "RUN_RAMP"},
                     {kSelect, kSelectParams, kInsert, kInsertParams, kDelete, kDeleteParams})
{
    SetDefaults();
}

void clsSEQUENCE_RAMP::ConnectX(clsConnection& connection)
{
    connectAndSelect(connection, m_SEQUENCE_ID);
}

void clsSEQUENCE_RAMP::SetDefaults()
{
    m_SEQUENCE_RAMP_ID = m_SEQUENCE_ID = m_RAMP_NO = 0;
    m_RAMP_ELAPSE_TIME = m_RAMP_TEMP = m_RAMP_START_ERROR = 0;
    m_SHEAR_RATE = 100;
    m_RUN_RAMP = 1;
}

void clsSEQUENCE_RAMP::GetSeqDetail()
{
    selectAndLoadFirst("GetSeqDetail", m_SEQUENCE_ID);
}

void clsSEQUENCE_RAMP::AddNew()
{
    insertRow({m_SEQUENCE_ID, m_RAMP_NO, m_RAMP_ELAPSE_TIME, m_RAMP_TEMP, m_RAMP_START_ERROR,
               m_SHEAR_RATE, m_RUN_RAMP});
}

void clsSEQUENCE_RAMP::Delete()
{
    deleteRows(m_SEQUENCE_ID);
}

QVariantList clsSEQUENCE_RAMP::All() const
{
    return {m_SEQUENCE_RAMP_ID, m_SEQUENCE_ID, m_RAMP_NO, m_RAMP_ELAPSE_TIME,
            m_RAMP_TEMP, m_RAMP_START_ERROR, m_SHEAR_RATE, m_RUN_RAMP};
}

void clsSEQUENCE_RAMP::assign(int column, const QVariant& value)
{
    double* const members[] = {&m_SEQUENCE_RAMP_ID, &m_SEQUENCE_ID, &m_RAMP_NO, &m_RAMP_ELAPSE_TIME,
                               &m_RAMP_TEMP, &m_RAMP_START_ERROR, &m_SHEAR_RATE, &m_RUN_RAMP};
    *members[column] = toNumber(value);
}
