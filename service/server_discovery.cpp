// SPDX-License-Identifier: GPL-3.0-or-later
#include "service/server_discovery.h"

#include "foundation/cmd_parameters.h"
#include "foundation/exceptions.h"
#include "foundation/memory_stream.h"
#include "foundation/registry_settings.h"
#include "foundation/settings_keys.h"
#include <string_view>

#include "service/http_get.h"
#include "service/local_service.h"
#include "service/server_addresses.h"

MyString FetchServerList() {
    TMemoryStream stream(8192);
    HTTPGetToStream(stream, ServerListUrl());
    MyString text;
    if (stream.DataSize() < 1) return text;
    text.Assign(stream.Memory(), stream.DataSize());
    text.Trim();
    return text;
}

MyString &FindServerAddress(ServerAddressLookup &lookup, MyString &out) {
    if (HasParameter("DemoServer")) {
        out = DemoServerParameter();
        return out;
    }
    if (!lookup.RegistryRead) {
        lookup.RegistryAddress = ReadMakerSetting(settings_keys::DemoServer);
        lookup.RegistryRead = true;
    }
    if (lookup.RegistryAddress.Length() > 0) {
        out = lookup.RegistryAddress;
        return out;
    }
    // The built-in server list lies on this machine: it stands for the user's own service,
    // reached over the user's socket, never over a port another user could hold.
    if (std::string_view(ServerListUrl()) == DefaultServerListUrl && UsesUserService()) {
        out = MyString(UserServiceAddress().c_str());
        return out;
    }
    if (lookup.ServerListText.Length() == 0) {
        try {
            lookup.ServerListText = FetchServerList();
        } catch (const TCustomException &) {
            MyString lastSuccess = ReadMakerSetting("LastSuccessDemoServer");
            if (lastSuccess.Length() > 0) {
                out = lastSuccess;
                return out;
            }
        }
    }
    if (lookup.ServerListText.Length() > 0) {
        out = lookup.ServerListText;
        return out;
    }
    MyString fallback = ReadMakerSetting("DefaultDemoServer");
    out = fallback.Length() > 0 ? fallback : BuiltInServerAddress();
    return out;
}
