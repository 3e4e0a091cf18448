// The commands of zel, one handler each; ZelCli's command table names them.
// A handler answers an exit code, or -1 for a usage error.
#pragma once

#include "CliCommon.h"

namespace zelcli {

int Check(Context& c);
int Iban(Context& c);
int Bic(Context& c);
int Scl(Context& c);
int CreditorId(Context& c);
int Dtaus(Context& c);
int Csv(Context& c);
int Data(Context& c);
int Sepa(Context& c);
int Mandates(Context& c);
int Statements(Context& c);
int Workdays(Context& c);
int Bank(Context& c);
int Search(Context& c);
int Card(Context& c);
int Version(Context& c);

}  // namespace zelcli
