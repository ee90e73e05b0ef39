// The console owner: texts made fit for a terminal, message boxes and the yes/no question.
#include "integrate/console/console_owner.h"

#include <gtest/gtest.h>

#include <sstream>

#include "integrate/strings.h"

namespace integrate {
namespace {

TEST(ConsoleText, TurnsCrLfIntoLinesAndAnsiIntoUtf8) {
  // Message 23 holds CR LF pairs and the registered sign in Windows-1252.
  const std::string text = ConsoleText(LoadText(kStrServicePackWarning));
  EXPECT_EQ(text.find('\r'), std::string::npos);
  const std::string start = "Tessaline Library requires Microsoft\xC2\xAE VisualStudio\xC2\xAE 6.0";
  EXPECT_EQ(text.substr(0, start.size()), start);
  EXPECT_NE(text.find("higher.\nPlease,"), std::string::npos);
  EXPECT_NE(text.find("library.\n\nRemark:"), std::string::npos);
  EXPECT_EQ(ConsoleText("a\rb"), "a\nb");
}

TEST(ConsoleOwnerShowMessage, OkBoxPrintsWithCaptionAndReadsNothing) {
  std::istringstream in("c\n");
  std::ostringstream err;
  ConsoleOwner owner("tslkt-integrate", in, err, true);
  EXPECT_EQ(owner.ShowMessage(LoadText(kStrSelectAtLeastOne), kMbOk), kIdOk);
  EXPECT_EQ(err.str(), "tslkt-integrate: You need to select at least one item.\n");
  std::string unread;
  EXPECT_TRUE(std::getline(in, unread));
}

TEST(ConsoleOwnerShowMessage, OkCancelWithoutTerminalAnswersCancelUnasked) {
  std::istringstream in("o\n");
  std::ostringstream err;
  ConsoleOwner owner("tslkt-integrate", in, err, false);
  EXPECT_EQ(owner.ShowMessage(LoadText(kStrCloseVc6Prompt), kMbOkCancel | kMbSetForeground),
            kIdCancel);
  EXPECT_NE(err.str().find("no terminal to answer on: Cancel"), std::string::npos);
  EXPECT_EQ(err.str().find("[O]K"), std::string::npos);
}

TEST(ConsoleOwnerShowMessage, OkCancelOnTerminalAsksUntilAnswered) {
  std::istringstream in("maybe\nOK\n");
  std::ostringstream err;
  ConsoleOwner owner("tslkt-integrate", in, err, true);
  EXPECT_EQ(owner.ShowMessage("close it", kMbOkCancel), kIdOk);
  std::istringstream cancel("c\n");
  ConsoleOwner owner2("tslkt-integrate", cancel, err, true);
  EXPECT_EQ(owner2.ShowMessage("close it", kMbOkCancel), kIdCancel);
  // The end of the input cannot say OK: it cancels rather than loop.
  std::istringstream closed("");
  ConsoleOwner owner3("tslkt-integrate", closed, err, true);
  EXPECT_EQ(owner3.ShowMessage("close it", kMbOkCancel), kIdCancel);
}

TEST(ConsoleOwnerAskYesNo, EnterMeansYesEndOfInputMeansNo) {
  std::ostringstream err;
  std::istringstream enter("\n");
  EXPECT_TRUE(ConsoleOwner("t", enter, err, true).AskYesNo("Start?"));
  std::istringstream no("x\nN\n");
  EXPECT_FALSE(ConsoleOwner("t", no, err, true).AskYesNo("Start?"));
  std::istringstream closed("");
  EXPECT_FALSE(ConsoleOwner("t", closed, err, true).AskYesNo("Start?"));
}

}  // namespace
}  // namespace integrate
