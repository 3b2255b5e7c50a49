// wf_connect_db: which password goes with which login, and what the operator
// sees of a connection made or refused.
#include "server_fixture.h"

#include "install/record/install_log.h"
#include "install/wf_connect_db.h"

namespace {

class WfConnectDb : public ::testing::Test, protected install_test::InstallHarness {
protected:
    void SetUp() override
    {
        install_test::run_as_sa({L"dbo.sp_addlogin 'mirvox','rovtakl',master"});
        form.server = install_test::test_server();
        form.password = L"typed in the form";
        form.status = L"正在连接数据库服务器...";
    }

    bool connect_as(const std::wstring& login) { return install::wf_connect_db(context, log, login); }

    install::InstallLog log{form};
};

TEST_F(WfConnectDb, ApplicationLoginUsesItsFixedPasswordWhateverTheFormShows)
{
    EXPECT_TRUE(connect_as(L"mirvox"));
    EXPECT_TRUE(connect_as(L"mirvox")) << "a second call replaces the connection";
    EXPECT_TRUE(sqlca.connected());
    EXPECT_EQ(form.log, L"none连接数据库成功\r\n连接数据库成功\r\n");
    EXPECT_EQ(form.status, L"正在连接数据库服务器...");
    EXPECT_TRUE(prompts.shown().empty());
}

TEST_F(WfConnectDb, AnyOtherLoginUsesTheTypedPasswordEvenIfOnlyTheCaseDiffers)
{
    EXPECT_FALSE(connect_as(L"MIRVOX"));
    EXPECT_FALSE(sqlca.connected());
    ASSERT_EQ(prompts.shown().size(), 1u);
    EXPECT_EQ(prompts.shown()[0].title, L"Korvena");
    EXPECT_EQ(prompts.shown()[0].text, L"不能连接到数据库。Login failed for user 'MIRVOX'.");
    EXPECT_EQ(form.log, L"none");
    EXPECT_NE(sqlca.status_code(), 0);

    form.password = L"rovtakl";
    EXPECT_TRUE(connect_as(L"MIRVOX"));
}

}  // namespace
