#pragma once
#include <QString>

class QWidget;

namespace module1 {

// Proves the link before a mode opens: interface reset, modem, meter identity and revision, generator.
// Records the result in instruments_ok and the model in meter_model.
bool check_instruments(QWidget* window);

// The model field of an identity reply: the 7 characters after its first comma (empty without one).
QString identity_model(const QString& reply);
// The software revision of an identity reply: the number in its fourth field.
double identity_revision(const QString& reply);
// The revision a model needs: 2.02 for the RQ581xK, 1 for the RQ582xK.
double required_revision(const QString& model);

}  // namespace module1
