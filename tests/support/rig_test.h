#pragma once
#include <QObject>
#include <memory>

// The base of a test class whose test functions each start on a fresh rig: it is built before every
// function and taken down after it.
class FreshRigTest : public QObject {
    Q_OBJECT

protected:
    virtual void build_rig() = 0;
    virtual void drop_rig() = 0;

private slots:
    void init() { build_rig(); }
    void cleanup() { drop_rig(); }
};

// The same for a rig of type Rig, built with no arguments.
template <class Rig>
class RigTest : public FreshRigTest {
protected:
    std::unique_ptr<Rig> rig;

    void build_rig() override { rig = std::make_unique<Rig>(); }
    void drop_rig() override { rig.reset(); }
};
