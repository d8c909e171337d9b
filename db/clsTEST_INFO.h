#pragma once
// One TEST_INFO row per test: name, start time, operator, fluid, geometry, pH
// and the free description. ConnectX lists every test, newest first.
#include "db/RecordSet.h"

#include <QDateTime>
#include <optional>

class clsTEST_INFO : public tz::RecordSet {
public:
    static constexpr const char* kSelectByName =
        "SELECT TEST_ID, TEST_NAME, FLUID_ID, TEST_TIME, RESEARCHER_NAME, ROTOR_NO, BOB_NO, "
        "BOB_RADIUS, BOB_EFF_LENGTH, PRETEST_PH, POSTTEST_PH, SAFETY  FROM TEST_INFO Where TEST_NAME = ?";
    static constexpr const char* kSelectById =
        "SELECT TEST_ID, TEST_NAME, FLUID_ID, TEST_TIME, RESEARCHER_NAME, ROTOR_NO, BOB_NO, "
        "BOB_RADIUS, BOB_EFF_LENGTH, PRETEST_PH, POSTTEST_PH, SAFETY  FROM TEST_INFO Where TEST_ID = ?";
    static constexpr const char* kList =
        "SELECT TEST_NAME, TEST_TIME, RESEARCHER_NAME  FROM TEST_INFO  ORDER BY TEST_TIME DESC";
    static constexpr const char* kInsert =
        "INSERT INTO  TEST_INFO (TEST_NAME, FLUID_ID, TEST_TIME, RESEARCHER_NAME, ROTOR_NO, BOB_NO, "
        "BOB_RADIUS, BOB_EFF_LENGTH, PRETEST_PH, POSTTEST_PH, SAFETY) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
    static constexpr const char* kUpdate =
        "UPDATE TEST_INFO SET TEST_NAME = ?, FLUID_ID = ?, TEST_TIME = ?, RESEARCHER_NAME = ?, "
        "ROTOR_NO = ?, BOB_NO = ?, BOB_RADIUS = ?, BOB_EFF_LENGTH = ?, PRETEST_PH = ?, "
        "POSTTEST_PH = ?, SAFETY = ?  WHERE TEST_ID = ?";
    static constexpr const char* kDelete = "DELETE  FROM TEST_INFO  WHERE TEST_NAME = ?";

    // The start time that Update stores as NULL ("no time recorded").
    static QDateTime noTimeSentinel();

    clsTEST_INFO();

    void Refresh() {}
    // Binds to the connection and runs the select by the current Test_Id into
    // the snapshot without loading a row.
    void ConnectX4(clsConnection& connection);
    // Binds to the connection and lists every test (TEST_NAME, TEST_TIME,
    // RESEARCHER_NAME), newest first; read the list with UsedName().
    void ConnectX(clsConnection& connection);

    double Test_Id() const { return m_TEST_ID; }
    void setTest_Id(double v) { m_TEST_ID = v; }
    QString TEST_NAME() const { return m_TEST_NAME; }
    void setTEST_NAME(const QString& v) { m_TEST_NAME = v; }
    QString Fluid_ID() const { return m_FLUID_ID; }
    void setFluid_ID(const QString& v) { m_FLUID_ID = v; }
    // Invalid when the stored row has no start time (NULL): a report then
    // shows no time rather than the moment it was made.
    QDateTime TEST_TIME() const { return m_TEST_TIME; }
    void setTEST_TIME(const QDateTime& v) { m_TEST_TIME = v; }
    QString RESEARCHER_NAME() const { return m_RESEARCHER_NAME; }
    void setRESEARCHER_NAME(const QString& v) { m_RESEARCHER_NAME = v; }
    QString ROTOR_NO() const { return m_ROTOR_NO; }
    void setROTOR_NO(const QString& v) { m_ROTOR_NO = v; }
    QString BOB_NO() const { return m_BOB_NO; }
    void setBOB_NO(const QString& v) { m_BOB_NO = v; }
    double BOB_RADIUS() const { return m_BOB_RADIUS; }
    void setBOB_RADIUS(double v) { m_BOB_RADIUS = v; }
    double BOB_EFF_LENGTH() const { return m_BOB_EFF_LENGTH; }
    void setBOB_EFF_LENGTH(double v) { m_BOB_EFF_LENGTH = v; }
    double PreTest_PH() const { return m_PRETEST_PH; }
    void setPreTest_PH(double v) { m_PRETEST_PH = v; }
    double PostTest_PH() const { return m_POSTTEST_PH; }
    void setPostTest_PH(double v) { m_POSTTEST_PH = v; }
    // Write only: the description is read through All()[11].
    void setSAFETY(const QString& v) { m_SAFETY = v; }

    // The snapshot of the last query as [column][row]; right after ConnectX:
    // [0] names, [1] times, [2] researchers, one entry per test, newest first.
    QList<QVariantList> UsedName() const { return snapshotByColumn(); }

    void SetDefaults() override;
    // Select by the current TEST_NAME; row 0 loaded, or defaults and Eof().
    void GetTestDetail();
    void AddNew();
    // Writes all eleven columns to the row whose id is Test_Id; the 1800
    // sentinel time is stored as NULL.
    void Update();
    // Thirteen elements: the twelve columns in select order, index 12 empty.
    QVariantList All() const override;
    // Deletes every TEST_INFO row of the current TEST_NAME; results and
    // additives are the caller's to delete.
    void Delete();
    // Inserts a copy of the current values under newName; TEST_NAME unchanged.
    void SaveAs(const QString& newName);

protected:
    void assign(int column, const QVariant& value) override;
    void assignNull(int column) override;

private:
    void prepareAll(clsConnection& connection);
    QVariantList insertValues(const QString& name) const;

    std::optional<QSqlQuery> m_selectByName, m_selectById, m_list, m_insert, m_update, m_delete;

    double m_TEST_ID = 0;
    QString m_TEST_NAME;
    QString m_FLUID_ID;
    QDateTime m_TEST_TIME;
    QString m_RESEARCHER_NAME;
    QString m_ROTOR_NO;
    QString m_BOB_NO;
    double m_BOB_RADIUS = 0;
    double m_BOB_EFF_LENGTH = 0;
    double m_PRETEST_PH = 0;
    double m_POSTTEST_PH = 0;
    QString m_SAFETY;
};
