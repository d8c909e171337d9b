#pragma once
// TEST_ADDITIVE: the additives of a test (name, concentration, unit, lot).
// ConnectX is the query: set TESTId first.
#include "db/KeyedRecordSet.h"

class clsTEST_ADDITIVE : public tz::KeyedRecordSet {
public:
    static constexpr const char* kSelect =
        "SELECT TESTADD_ID, TEST_ID, ADDITIVE_NM, ADD_CONCEN, ADD_UNIT, ADD_LOTNO  "
        "FROM TEST_ADDITIVE Where TEST_ID = ?";
    static constexpr const char* kInsert =
        "INSERT INTO  TEST_ADDITIVE (TEST_ID, ADDITIVE_NM, ADD_CONCEN, ADD_UNIT, ADD_LOTNO ) "
        "VALUES (?, ?, ?, ?, ?)";
    static constexpr const char* kDelete = "DELETE  FROM TEST_ADDITIVE  WHERE TEST_ID = ?";

    clsTEST_ADDITIVE();

    void Refresh() {}
    // Binds to the connection and reads the additives of the current TESTId.
    void ConnectX(clsConnection& connection);

    double TESTADD_ID() const { return m_TESTADD_ID; }
    void setTESTADD_ID(double v) { m_TESTADD_ID = v; }
    double TESTId() const { return m_TEST_ID; }
    void setTESTId(double v) { m_TEST_ID = v; }
    QString ADDITIVE_NM() const { return m_ADDITIVE_NM; }
    void setADDITIVE_NM(const QString& v) { m_ADDITIVE_NM = v; }
    double ADD_CONCEN() const { return m_ADD_CONCEN; }
    void setADD_CONCEN(double v) { m_ADD_CONCEN = v; }
    QString ADD_UNIT() const { return m_ADD_UNIT; }
    void setADD_UNIT(const QString& v) { m_ADD_UNIT = v; }
    QString ADD_LOTNO() const { return m_ADD_LOTNO; }
    void setADD_LOTNO(const QString& v) { m_ADD_LOTNO = v; }

    void SetDefaults() override;
    // Reads the additives of the current TESTId again and loads the first.
    void GetSeqDetail();
    // Sets TESTADD_ID to 0, then inserts one additive.
    void AddNew();
    void Update() {}
    // Deletes every additive of the current TESTId.
    void Delete();
    // Six elements in select order.
    QVariantList All() const override;

protected:
    void assign(int column, const QVariant& value) override;

private:
    double m_TESTADD_ID = 0;
    double m_TEST_ID = 0;
    QString m_ADDITIVE_NM;
    double m_ADD_CONCEN = 0;
    QString m_ADD_UNIT;
    QString m_ADD_LOTNO;
};
