#include "db/clsTEST_ADDITIVE.h"

#include "db/clsConnection.h"

namespace {

// Parameter names of each statement, in the order of its "?" marks.
constexpr tz::ParamNames kSelectParams = {"pTEST_ID"};
constexpr tz::ParamNames kInsertParams = {"pTEST_Id", "pADDITIVE_NM", "pADD_CONCEN", "pADDITIVE_UNIT",
                                          "pADD_LOTNO"};
constexpr tz::ParamNames kDeleteParams = {"pTEST_ID"};

enum class Col { TESTADD_ID, TEST_ID, ADDITIVE_NM, ADD_CONCEN, ADD_UNIT, ADD_LOTNO };

}  // namespace

clsTEST_ADDITIVE::clsTEST_ADDITIVE()
    : KeyedRecordSet("clsTEST_ADDITIVE",
                     {"TESTADD_ID", "TEST_ID", "ADDITIVE_NM", "ADD_CONCEN", "ADD_UNIT", "ADD_LOTNO"},
                     {kSelect, kSelectParams, kInsert, kInsertParams, kDelete, kDeleteParams})
{
    SetDefaults();
}

void clsTEST_ADDITIVE::ConnectX(clsConnection& connection)
{
    connectAndSelect(connection, m_TEST_ID);
}

void clsTEST_ADDITIVE::SetDefaults()
{
    m_TESTADD_ID = 0;
    m_TEST_ID = 0;
    m_ADDITIVE_NM.clear();
    m_ADD_CONCEN = 0;
    m_ADD_UNIT.clear();
    m_ADD_LOTNO.clear();
}

void clsTEST_ADDITIVE::GetSeqDetail()
{
    selectAndLoadFirst("GetSeqDetail", m_TEST_ID);
}

void clsTEST_ADDITIVE::AddNew()
{
    m_TESTADD_ID = 0;
    insertRow({m_TEST_ID, m_ADDITIVE_NM, m_ADD_CONCEN, m_ADD_UNIT, m_ADD_LOTNO});
    Refresh();
}

void clsTEST_ADDITIVE::Delete()
{
    deleteRows(m_TEST_ID);
    Refresh();
}

QVariantList clsTEST_ADDITIVE::All() const
{
    return {m_TESTADD_ID, m_TEST_ID, m_ADDITIVE_NM, m_ADD_CONCEN, m_ADD_UNIT, m_ADD_LOTNO};
}

void clsTEST_ADDITIVE::assign(int column, const QVariant& value)
{
    switch (static_cast<Col>(column)) {
    case Col::TESTADD_ID: m_TESTADD_ID = toNumber(value); break;
    case Col::TEST_ID: m_TEST_ID = toNumber(value); break;
    case Col::ADDITIVE_NM: m_ADDITIVE_NM = toText(value); break;
    case Col::ADD_CONCEN: m_ADD_CONCEN = toNumber(value); break;
    case Col::ADD_UNIT: m_ADD_UNIT = toText(value); break;
    case Col::ADD_LOTNO: m_ADD_LOTNO = toText(value); break;
    }
}
