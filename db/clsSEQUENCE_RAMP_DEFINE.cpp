#include "db/clsSEQUENCE_RAMP_DEFINE.h"

namespace {

// Parameter names of each statement, in the order of its "?" marks.
constexpr tz::ParamNames kSelectParams = {"pSEQUENCE_ID"};
constexpr tz::ParamNames kInsertParams = {"pSequence_Id", "pRAMP_STEP_NO", "pRAMP_SHEAR_RATE"};
constexpr tz::ParamNames kDeleteParams = {"pSEQUENCE_ID"};

}  // namespace

clsSEQUENCE_RAMP_DEFINE::clsSEQUENCE_RAMP_DEFINE()
    : KeyedRecordSet("clsSEQUENCE_RAMP_DEFINE",
                     {"SEQUENCE_DEF_ID", "SEQUENCE_ID", "RAMP_STEP_NO", "RAMP_SHEAR_RATE"},
                     {kSelect, kSelectParams, kInsert, kInsertParams, kDelete, kDeleteParams})
{
    SetDefaults();
}

void clsSEQUENCE_RAMP_DEFINE::ConnectX(clsConnection& connection)
{
    connectAndSelect(connection, m_SEQUENCE_ID);
}

void clsSEQUENCE_RAMP_DEFINE::SetDefaults()
{
    m_SEQUENCE_DEF_ID = m_SEQUENCE_ID = m_RAMP_STEP_NO = m_RAMP_SHEAR_RATE = 0;
}

void clsSEQUENCE_RAMP_DEFINE::GetSeqDetail()
{
    selectAndLoadFirst("GetSeqDetail", m_SEQUENCE_ID);
}

void clsSEQUENCE_RAMP_DEFINE::AddNew()
{
    insertRow({m_SEQUENCE_ID, m_RAMP_STEP_NO, m_RAMP_SHEAR_RATE});
}

void clsSEQUENCE_RAMP_DEFINE::Delete()
{
    deleteRows(m_SEQUENCE_ID);
}

QVariantList clsSEQUENCE_RAMP_DEFINE::All() const
{
    return {m_SEQUENCE_DEF_ID, m_SEQUENCE_ID, m_RAMP_STEP_NO, m_RAMP_SHEAR_RATE};
}

void clsSEQUENCE_RAMP_DEFINE::assign(int column, const QVariant& value)
{
    double* const members[] = {&m_SEQUENCE_DEF_ID, &m_SEQUENCE_ID, &m_RAMP_STEP_NO, &m_RAMP_SHEAR_RATE};
    *members[column] = toNumber(value);
}
