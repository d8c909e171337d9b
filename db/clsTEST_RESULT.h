#pragma once
// TEST_RESULT: one row per recorded data point of a test, read back in
// increasing RESULT_TIME. ConnectX is the query: set Test_Id first.
#include "db/KeyedRecordSet.h"

class clsTEST_RESULT : public tz::KeyedRecordSet {
public:
    static constexpr const char* kSelect =
        "SELECT TEST_RESULT_ID, TEST_ID, RAMP_NO, RAMP_STEP_NO, RESULT_TIME, RESULT_SAMPLE_TEMP, "
        "RESULT_PRESS, RESULT_SHEAR_RATE, RESULT_SHEAR_STRESS, RESULT_TYPE_ID, RESULT_BATH_TEMP  "
        "FROM TEST_RESULT Where TEST_ID = ?  ORDER BY RESULT_TIME ";
    static constexpr const char* kInsert =
        "INSERT INTO  TEST_RESULT (TEST_ID, RAMP_NO, RAMP_STEP_NO, RESULT_TIME, RESULT_SAMPLE_TEMP, "
        "RESULT_PRESS, RESULT_SHEAR_RATE, RESULT_SHEAR_STRESS, RESULT_TYPE_ID, RESULT_BATH_TEMP ) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
    static constexpr const char* kDelete = "DELETE  FROM TEST_RESULT  WHERE TEST_ID = ?";

    clsTEST_RESULT();

    void Refresh() {}
    // Number of points of the last query, 0 when there is none.
    int TotalPoints() const { return rowCount(); }
    // Binds to the connection and reads every point of the current Test_Id.
    void ConnectX(clsConnection& connection);
    // The last select, already read to its end (empty before ConnectX).
    const QSqlQuery& rTestResult() const { return lastSelect(); }

    // The owning test; taken and returned as a whole number (nearest).
    int Test_Id() const;
    void setTest_Id(int v) { m_TEST_ID = v; }
    double RAMP_NO() const { return m_RAMP_NO; }
    void setRAMP_NO(double v) { m_RAMP_NO = v; }
    double RAMP_STEP_NO() const { return m_RAMP_STEP_NO; }
    void setRAMP_STEP_NO(double v) { m_RAMP_STEP_NO = v; }
    double RESULT_TIME() const { return m_RESULT_TIME; }
    void setRESULT_TIME(double v) { m_RESULT_TIME = v; }
    double RESULT_SAMPLE_TEMP() const { return m_RESULT_SAMPLE_TEMP; }
    void setRESULT_SAMPLE_TEMP(double v) { m_RESULT_SAMPLE_TEMP = v; }
    double RESULT_PRESS() const { return m_RESULT_PRESS; }
    void setRESULT_PRESS(double v) { m_RESULT_PRESS = v; }
    double RESULT_SHEAR_RATE() const { return m_RESULT_SHEAR_RATE; }
    void setRESULT_SHEAR_RATE(double v) { m_RESULT_SHEAR_RATE = v; }
    double RESULT_SHEAR_STRESS() const { return m_RESULT_SHEAR_STRESS; }
    void setRESULT_SHEAR_STRESS(double v) { m_RESULT_SHEAR_STRESS = v; }
    double RESULT_TYPE_ID() const { return m_RESULT_TYPE_ID; }
    void setRESULT_TYPE_ID(double v) { m_RESULT_TYPE_ID = v; }
    double RESULT_BATH_TEMP() const { return m_RESULT_BATH_TEMP; }
    void setRESULT_BATH_TEMP(double v) { m_RESULT_BATH_TEMP = v; }

    void SetDefaults() override;
    // Reads the points of the current Test_Id again and loads the first.
    void GetTestDetail();
    void AddNew();
    void Update() {}
    // Deletes every point of the current Test_Id.
    void Delete();
    // Eleven elements in select order; element 0 is TEST_RESULT_ID.
    QVariantList All() const override;

protected:
    void assign(int column, const QVariant& value) override;

private:
    double m_TEST_RESULT_ID = 0;
    double m_TEST_ID = 0;
    double m_RAMP_NO = 0;
    double m_RAMP_STEP_NO = 0;
    double m_RESULT_TIME = 0;
    double m_RESULT_SAMPLE_TEMP = 0;
    double m_RESULT_PRESS = 0;
    double m_RESULT_SHEAR_RATE = 0;
    double m_RESULT_SHEAR_STRESS = 0;
    double m_RESULT_TYPE_ID = 0;
    double m_RESULT_BATH_TEMP = 0;
};
