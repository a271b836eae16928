// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TDemoClient: the service client the main form owns for the program's whole life. It adds
// nothing to TDemoClientBase; the two names are kept apart so that the form's member has
// the concrete type.

#include "service/demo_client_base.h"

class TDemoClient : public TDemoClientBase {
public:
    TDemoClient() = default;
};
