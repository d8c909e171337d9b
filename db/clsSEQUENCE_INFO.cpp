#include "db/clsSEQUENCE_INFO.h"

#include "db/clsConnection.h"

namespace {

// Parameter names of each statement, in the order of its "?" marks.
constexpr tz::ParamNames kSelectByNameParams = {"pSEQUENCE_NAME"};
constexpr tz::ParamNames kInsertParams = {"pSEQUENCE_NAME", "pTIME_BEFORE_READ", "pRAMP_SAMPLE_RATE",
                                          "pSAMPLE_POINTS_AVERAGE", "pSHUT_DOWN_ATIME",
                                          "pSHUT_DOWN_VISC", "pSAMPLE_INTERVAL"};
constexpr tz::ParamNames kUpdateParams = {"pSEQUENCE_NAME", "pTIME_BEFORE_READ", "pRAMP_SAMPLE_RATE",
                                          "pSAMPLE_POINTS_AVERAGE", "pSHUT_DOWN_ATIME",
                                          "pSHUT_DOWN_VISC", "pSAMPLE_INTERVAL", "pSEQUENCE_ID"};
constexpr tz::ParamNames kDeleteParams = {"pSEQUENCE_NAME"};

enum class Col { SEQUENCE_ID, SEQUENCE_NAME, TIME_BEFORE_READ, RAMP_SAMPLE_RATE, SAMPLE_POINTS_AVERAGE,
              SHUT_DOWN_ATIME, SHUT_DOWN_VISC, SAMPLE_INTERVAL };

}  // namespace

clsSEQUENCE_INFO::clsSEQUENCE_INFO()
    : RecordSet("clsSEQUENCE_INFO",
                {"SEQUENCE_ID", "SEQUENCE_NAME", "TIME_BEFORE_READ", "RAMP_SAMPLE_RATE",
                 "SAMPLE_POINTS_AVERAGE", "SHUT_DOWN_ATIME", "SHUT_DOWN_VISC", "SAMPLE_INTERVAL"})
{
    SetDefaults();
}

void clsSEQUENCE_INFO::Refresh()
{
    requireConnection("Refresh");
    requery(*m_nameList, {}, {});
}

void clsSEQUENCE_INFO::ConnectX(clsConnection& connection)
{
    bindConnection(connection, [this] {
        m_selectByName = prepare(kSelectByName);
        m_nameList = prepare(kNameList);
        m_insert = prepareInsert(kInsert);
        m_update = prepare(kUpdate);
        m_delete = prepare(kDelete);
    });
    query(*m_nameList, {}, {});
}

void clsSEQUENCE_INFO::SetDefaults()
{
    m_SEQUENCE_ID = 0;
    m_SEQUENCE_NAME.clear();
    m_TIME_BEFORE_READ = 20;
    m_RAMP_SAMPLE_RATE = 2;
    m_SAMPLE_POINTS_AVERAGE = 5;
    m_SHUT_DOWN_ATIME = 20;
    m_SHUT_DOWN_VISC = 0;
    m_SAMPLE_INTERVAL = 60;
}

void clsSEQUENCE_INFO::GetSeqDetail()
{
    requireConnection("GetSeqDetail");
    query(*m_selectByName, kSelectByNameParams, {m_SEQUENCE_NAME});
    loadFirstOrDefaults();
}

void clsSEQUENCE_INFO::AddNew()
{
    requireConnection("AddNew");
    executeInsert(*m_insert, kInsertParams,
            {m_SEQUENCE_NAME, m_TIME_BEFORE_READ, m_RAMP_SAMPLE_RATE, m_SAMPLE_POINTS_AVERAGE,
             m_SHUT_DOWN_ATIME, m_SHUT_DOWN_VISC, m_SAMPLE_INTERVAL});
    Refresh();
}

void clsSEQUENCE_INFO::Update()
{
    requireConnection("Update");
    const int changed = execute(*m_update, kUpdateParams,
            {m_SEQUENCE_NAME, m_TIME_BEFORE_READ, m_RAMP_SAMPLE_RATE, m_SAMPLE_POINTS_AVERAGE,
             m_SHUT_DOWN_ATIME, m_SHUT_DOWN_VISC, m_SAMPLE_INTERVAL, m_SEQUENCE_ID});
    // With several workstations on one database the header may have been
    // deleted elsewhere since it was loaded: say so rather than report a save.
    if (changed == 0)
        throw tz::DbError(QStringLiteral("The sequence \"%1\" is no longer stored; it may have been "
                                         "deleted at another workstation.").arg(m_SEQUENCE_NAME));
}

void clsSEQUENCE_INFO::Delete()
{
    requireConnection("Delete");
    execute(*m_delete, kDeleteParams, {m_SEQUENCE_NAME});
    Refresh();
}

QVariantList clsSEQUENCE_INFO::All() const
{
    return {m_SEQUENCE_ID, m_SEQUENCE_NAME, m_TIME_BEFORE_READ, m_RAMP_SAMPLE_RATE,
            m_SAMPLE_POINTS_AVERAGE, m_SHUT_DOWN_ATIME, m_SHUT_DOWN_VISC, m_SAMPLE_INTERVAL};
}

void clsSEQUENCE_INFO::assign(int column, const QVariant& value)
{
    switch (static_cast<Col>(column)) {
    case Col::SEQUENCE_ID: m_SEQUENCE_ID = toNumber(value); break;
    case Col::SEQUENCE_NAME: m_SEQUENCE_NAME = toText(value); break;
    case Col::TIME_BEFORE_READ: m_TIME_BEFORE_READ = toNumber(value); break;
    case Col::RAMP_SAMPLE_RATE: m_RAMP_SAMPLE_RATE = toNumber(value); break;
    case Col::SAMPLE_POINTS_AVERAGE: m_SAMPLE_POINTS_AVERAGE = toNumber(value); break;
    case Col::SHUT_DOWN_ATIME: m_SHUT_DOWN_ATIME = toNumber(value); break;
    case Col::SHUT_DOWN_VISC: m_SHUT_DOWN_VISC = toNumber(value); break;
    case Col::SAMPLE_INTERVAL: m_SAMPLE_INTERVAL = roundToInt(toNumber(value)); break;
    }
}
