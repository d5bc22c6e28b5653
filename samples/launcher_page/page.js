// The page's side of the launcher bridge: each call posts
// {"id", "name", "args", "asyncCall"} as text, and the launcher answers
// through vemosdk.nativeCallback(id, {"retval": ...}).
(function () {
  var pending = {};
  var nextId = 1;

  window.vemosdk = {
    call: function (name, args, onReply, asyncCall) {
      var id = String(nextId++);
      if (onReply) pending[id] = onReply;
      var message = JSON.stringify({ id: id, name: name, args: args || {}, asyncCall: !!asyncCall });
      // The launcher decodes "%XX" and "+" before parsing.
      window.chrome.webview.postMessage(encodeURIComponent(message));
    },
    nativeCallback: function (id, reply) {
      var onReply = pending[id];
      delete pending[id];
      if (onReply) onReply(reply && reply.retval);
    }
  };

  // Lua answers notifyLua with a JSON text of its own.
  function askLua(args, onAnswer) {
    vemosdk.call("notifyLua", args, function (text) {
      var answer = null;
      try { answer = JSON.parse(text); } catch (e) { answer = null; }
      if (onAnswer) onAnswer(answer);
    }, true);
  }

  function byId(id) { return document.getElementById(id); }

  vemosdk.call("getStartupData", {}, function (data) {
    if (data && data.title) byId("title").textContent = data.title;
  });

  askLua({ type: "hello" }, function (answer) {
    byId("greeting").textContent = answer ? answer.greeting : "The launcher did not answer";
  });

  function showProgress(progress) {
    if (!progress) return;
    var percent = progress.total > 0 ? Math.floor(100 * progress.done / progress.total) : 0;
    byId("bar-fill").style.width = percent + "%";
    byId("progress-text").textContent = progress.total > 0 ? progress.text + " (" + percent + "%)" : progress.text;
  }

  function pollProgress() {
    askLua({ type: "progress" }, function (answer) {
      showProgress(answer);
      if (!answer || !answer.finished) setTimeout(pollProgress, 500);
    });
  }
  pollProgress();

  document.addEventListener("click", function (event) {
    askLua({ type: "click", x: event.clientX, y: event.clientY, target: event.target.id || event.target.tagName });
  });

  byId("hello").addEventListener("click", function () {
    askLua({ type: "hello" }, function (answer) {
      byId("answer").textContent = answer ? "The launcher says: " + answer.greeting : "";
    });
  });

  byId("close").addEventListener("click", function () {
    vemosdk.call("closeBrowser", {});
  });
})();
