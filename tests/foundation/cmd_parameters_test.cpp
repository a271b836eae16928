// SPDX-License-Identifier: GPL-3.0-or-later
#include "foundation/cmd_parameters.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/code_page.h"

namespace {

TCmdParameters &Arguments(std::vector<const char *> args) {
    args.insert(args.begin(), "narrelo");
    InitCmdParameters(int(args.size()), args.data());
    return CmdParameters();
}

TEST(TCmdParameters, SwitchFormsAndValues) {
    struct Row {
        const char *label;
        std::vector<const char *> args;
        const char *name;
        bool has;
        std::string value;
    };
    const Row rows[] = {
        {"slash switch, bare name", {"/Quiet", "DemoServer=host1"}, "Quiet", true, ""},
        {"name=value", {"/Quiet", "DemoServer=host1"}, "DemoServer", true, "host1"},
        {"dash and other case", {"-demoserver=host2"}, "DemoServer", true, "host2"},
        {"slash name=value", {"/DEMOSERVER=host3"}, "DemoServer", true, "host3"},
        {"name asked with a prefix", {"Quiet"}, "/quiet", true, ""},
        {"bare name without '='", {"DemoServer"}, "DemoServer", true, ""},
        {"value holding '='", {"A=b=c"}, "A", true, "b=c"},
        {"empty value", {"A="}, "A", true, ""},
        {"first match wins", {"a=1", "A=2"}, "A", true, "1"},
        {"absent", {"/Quiet", "DemoServer=host1"}, "Loud", false, ""},
        {"longer name is no match", {"DemoServerX=h"}, "DemoServer", false, ""},
        {"no arguments", {}, "DemoServer", false, ""},
    };
    for (const Row &row : rows) {
        TCmdParameters &parameters = Arguments(row.args);
        EXPECT_EQ(parameters.HasParameter(row.name), row.has) << row.label;
        EXPECT_EQ(HasParameter(row.name), row.has) << row.label;
        EXPECT_EQ(std::string(ParameterValue(row.name).View()), row.value) << row.label;
        EXPECT_TRUE(ParameterValue(row.name).HasBuffer()) << row.label;
    }
}

TEST(TCmdParameters, DemoServerParameter) {
    struct Row { const char *label; std::vector<const char *> args; std::string expected; };
    const Row rows[] = {
        {"given", {"/Quiet", "DemoServer=host1"}, "host1"},
        {"dash, lower case", {"-demoserver=http://h:8080/soap"}, "http://h:8080/soap"},
        {"bare", {"DemoServer"}, ""},
        {"absent", {"Other=x"}, ""},
    };
    for (const Row &row : rows) {
        Arguments(row.args);
        EXPECT_EQ(std::string(DemoServerParameter().View()), row.expected) << row.label;
    }
}

TEST(TCmdParameters, WithoutSwitchPrefixesOnlyTheNameAsGivenMatches) {
    TCmdParameters parameters;
    parameters.SetAcceptSwitchPrefixes(false);
    parameters.Add("/Quiet");
    parameters.Add("-a=1");
    EXPECT_EQ(parameters.IndexOf("Quiet"), -1);
    EXPECT_EQ(parameters.IndexOf("/quiet"), 0);
    EXPECT_EQ(parameters.IndexOfName("a"), -1);
    EXPECT_EQ(parameters.IndexOfName("-A"), 1);
}

TEST(TCmdParameters, ArgumentsAreConvertedFromUtf8AndKeptInOrder) {
    TCmdParameters &parameters = Arguments({"Ad=Şükrü", "-x", "", "漢"});
    ASSERT_EQ(parameters.Count(), 4);
    EXPECT_EQ(parameters.Strings(0).View(), "Ad=Şükrü"_cp);
    EXPECT_EQ(parameters.Strings(1).View(), "-x");
    EXPECT_EQ(parameters.Strings(2).View(), "");
    EXPECT_EQ(parameters.Strings(3).View(), "?");
    EXPECT_EQ(std::string(ParameterValue("ad").View()), "Şükrü"_cp);
    EXPECT_TRUE(HasParameter("/X"));

    Arguments({});
    EXPECT_EQ(CmdParameters().Count(), 0);
}

}  // namespace
