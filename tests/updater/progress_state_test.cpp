#include <gtest/gtest.h>

#include "progress_state.h"

namespace {

TEST(ProgressOptions, PercentIsClampedToTheBar) {
  const struct {
    const char* json;
    float shown;
  } cases[] = {
      {R"({"percent":150})", 100}, {R"({"percent":-5})", 0},    {R"({"percent":42.5})", 42.5f},
      {R"({"percent":0})", 0},     {R"({"percent":100})", 100}, {R"({"percent":1e300})", 100},
  };
  for (const auto& c : cases) {
    ProgressState state;
    state.percent = 77;
    ASSERT_TRUE(apply_progress_options(state, c.json).parsed) << c.json;
    EXPECT_FLOAT_EQ(c.shown, state.percent) << c.json;
  }
}

TEST(ProgressOptions, TextsAreReplacedOnlyWhenGivenAsStrings) {
  ProgressState state;
  state.title = L"old title";
  state.left_text = L"old left";
  state.right_text = L"old right";
  apply_progress_options(state, R"({"titleText":"Updating","leftText":"3/10 files","rightText":12})");
  EXPECT_EQ(L"Updating", state.title);
  EXPECT_EQ(L"3/10 files", state.left_text);
  EXPECT_EQ(L"old right", state.right_text);  // a number is not a text

  apply_progress_options(state, u8R"({"rightText":"剩余 5 秒"})");
  EXPECT_EQ(L"Updating", state.title);
  EXPECT_EQ(L"\x5269\x4f59 5 \x79d2", state.right_text);
}

TEST(ProgressOptions, ButtonTextShowsTheButtonAnythingElseHidesIt) {
  const struct {
    const char* json;
    bool visible;
    const wchar_t* text;
  } cases[] = {
      {R"({"buttonText":"Retry"})", true, L"Retry"},
      {R"({"buttonText":""})", true, L""},  // an empty button is still a button
      {R"({"percent":10})", false, L""},
      {R"({"buttonText":null})", false, L""},
      {R"({"buttonText":5})", false, L""},
  };
  for (const auto& c : cases) {
    ProgressState state;
    state.button_text = L"Cancel";
    state.button_visible = true;
    apply_progress_options(state, c.json);
    EXPECT_EQ(c.visible, state.button_visible) << c.json;
    EXPECT_EQ(c.text, state.button_text) << c.json;
  }
}

TEST(ProgressOptions, ButtonRepaintOnlyWhenItsTextOrVisibilityChanged) {
  ProgressState state;
  EXPECT_TRUE(apply_progress_options(state, R"({"buttonText":"Retry"})").button_text_changed);
  EXPECT_FALSE(apply_progress_options(state, R"({"buttonText":"Retry","percent":3})").button_text_changed);
  EXPECT_TRUE(apply_progress_options(state, R"({"buttonText":"Cancel"})").button_text_changed);
  EXPECT_TRUE(apply_progress_options(state, R"({})").button_text_changed);
  EXPECT_FALSE(apply_progress_options(state, R"({})").button_text_changed);
}

TEST(ProgressOptions, StateSelectsTheErrorLook) {
  ProgressState state;
  apply_progress_options(state, R"({"state":2})");
  EXPECT_EQ(kProgressStateError, state.state);
  apply_progress_options(state, R"({"percent":5})");
  EXPECT_EQ(kProgressStateError, state.state);  // kept until the scripts change it
  apply_progress_options(state, R"({"state":0})");
  EXPECT_EQ(0, state.state);
}

TEST(ProgressOptions, TextThatIsNotJsonChangesNothing) {
  const char* not_json[] = {"", "percent=50", "{\"percent\":", nullptr};
  for (const char* bad : not_json) {
    ProgressState state;
    state.percent = 30;
    state.button_visible = true;
    state.button_text = L"Retry";
    EXPECT_FALSE(apply_progress_options(state, bad).parsed);
    EXPECT_FLOAT_EQ(30, state.percent);
    EXPECT_TRUE(state.button_visible);
    EXPECT_EQ(L"Retry", state.button_text);
  }
}

}  // namespace
