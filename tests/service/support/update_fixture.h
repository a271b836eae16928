// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The world of the update check: a loopback speech service (scripted SOAP answers), a
// loopback web server with the server list pointing at it and installers to download
// (whole, missing, cut off), a fresh settings store and temporary folder. For the service's
// check and download and for the program's offer built on them.

#include <gtest/gtest.h>

#include <string>

#include "foundation/cmd_parameters.h"
#include "service/server_addresses.h"
#include "tests/service/support/http_test_server.h"
#include "tests/service/support/service_fixtures.h"
#include "tests/service/support/soap_test_server.h"
#include "tests/support/temp_config_home.h"
#include "tests/support/temp_tmp_dir.h"

class UpdateCheckFixture : public ::testing::Test {
protected:
    UpdateCheckFixture() {
        web.Http().Get("/demoserver.txt", [this](const httplib::Request &, httplib::Response &response) {
            response.set_content(" " + soap.Endpoint() + "\r\n", "text/plain");
        });
        web.Http().Get("/setup.deb", [this](const httplib::Request &, httplib::Response &response) {
            response.set_content(installer, "application/vnd.debian.binary-package");
        });
        web.Http().Get("/missing.deb", [](const httplib::Request &, httplib::Response &response) {
            response.status = 404;
            response.set_content("<html>not here</html>", "text/html");
        });
        web.Http().Get("/page.deb", [](const httplib::Request &, httplib::Response &response) {
            response.set_content("<html>a page, not a package</html>", "text/html");
        });
        web.Http().Get("/cut.deb", [this](const httplib::Request &, httplib::Response &response) {
            response.set_content_provider(installer.size() * 2, "application/octet-stream",
                                          [this](size_t offset, size_t, httplib::DataSink &sink) {
                                              if (offset > 0) return false;
                                              sink.write(installer.data(), installer.size());
                                              return true;
                                          });
        });
        web.Start();
        SetServerListUrl(web.Url("/demoserver.txt").c_str());
        InitCmdParameters(1, ProgramOnly);
    }
    ~UpdateCheckFixture() override {
        SetServerListUrl(nullptr);
        InitCmdParameters(1, ProgramOnly);
    }

    // The service asks for an update and, when asked, names `setupUrl` as the installer.
    void ServiceDemandsUpdate(const std::string &setupUrl) {
        soap.AddReply(ReturnReply("UpdateRequired2", "true"));
        soap.AddReply(LoginReply("c1", "s1"));
        soap.AddReply(ReturnReply("LastSetupUrl2", setupUrl));
    }

    static constexpr const char *ProgramOnly[] = {"narrelo"};
    const std::string installer = std::string("!<arch>\ndebian-binary   ") + std::string(20000, '\x7f');
    TempConfigHome home;
    TempTmpDir tmp;
    TSoapTestServer soap;
    THttpTestServer web;
};
