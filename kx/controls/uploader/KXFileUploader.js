/*
 * KXFileUploader.js: the file uploader's browser part. `new kxfu.FileUploader(options)` builds the control from
 * the server's templates inside options.element: a drop area, a button that opens the file picker, and a list with
 * one line per file. Files are checked (extension, size) and posted one at a time as multipart form data (XHR with
 * FormData) to the session's upload path, with progress; the server answers {"success":true} or {"error":"..."}.
 * The callbacks the page asked for (options.asyncHandlers) are called with named parameters:
 *   NAME.DoOnAsyncSelectFile   FileName, FileSize
 *   NAME.DoOnAsyncUploadSuccess FileName
 *   NAME.DoOnAsyncUploadError  FileName, Error
 * File names and messages are always inserted as text.
 */
var kxfu = kxfu || {};

kxfu.defaults = {
  action: "", inputName: "file", inputId: "", enabled: true, autoUpload: true, btnVisible: true, listVisible: true,
  asyncHandlers: [], allowedExtensions: [], acceptFiles: "", debug: false, sizeLimit: 0, minSizeLimit: 0,
  multiple: true, disableCancelForFormUploads: false, params: {}, customHeaders: {}, autoHideListTime: 0,
  uploadButtonText: "Upload a file", dragText: "Drop files here to upload", cancelButtonText: "Cancel",
  removeButtonText: "Remove", failUploadText: "Upload failed", ofTotalText: "of",
  multipleFileDropNotAllowedMessage: "You may only drop a single file",
  messages: {}, template: "", fileTemplate: "", classes: {}
};

/* Markup-escaped text, for the texts put into the server's templates. */
kxfu.escapeHtml = function (text) {
  return String(text).replace(/&/g, "&amp;").replace(/</g, "&lt;").replace(/>/g, "&gt;").replace(/"/g, "&quot;");
};

/* "1.5 MB" and the like. */
kxfu.formatSize = function (bytes) {
  var units = ["B", "kB", "MB", "GB"], i = 0, size = bytes;
  while (size >= 1024 && i < units.length - 1) {
    size = size / 1024;
    i += 1;
  }
  return (i === 0 ? String(size) : size.toFixed(1)) + " " + units[i];
};

/* A message with its {placeholders} filled. */
kxfu.fill = function (message, values) {
  return String(message || "").replace(/\{(\w+)\}/g, function (all, key) {
    return values.hasOwnProperty(key) ? String(values[key]) : all;
  });
};

/* The upload URL: the server writes it relative to the session ("$/upload/N"); the page's session base replaces
   the "$/" so that the post reaches this session wherever the page lives. */
kxfu.resolveAction = function (action) {
  var base = typeof GURLBase === "string" ? GURLBase : "";
  if (action.indexOf("$/") === 0 && base) {
    return base + action.substring(2);
  }
  return action;
};

kxfu.FileUploader = function (options) {
  var key;
  this.options = {};
  for (key in kxfu.defaults) {
    if (kxfu.defaults.hasOwnProperty(key)) {
      this.options[key] = options.hasOwnProperty(key) ? options[key] : kxfu.defaults[key];
    }
  }
  this.element = options.element;
  this.queue = [];
  this.current = null;
  this.build();
};

kxfu.FileUploader.prototype = {
  cls: function (name) {
    return this.options.classes[name] || "";
  },

  build: function () {
    var o = this.options, self = this, name = o.inputName;
    this.element.innerHTML = o.template.replace("{dragText}", kxfu.escapeHtml(o.dragText))
      .replace("{uploadButtonText}", kxfu.escapeHtml(o.uploadButtonText));
    this.dropArea = document.getElementById(name + "_drop_area");
    this.button = document.getElementById(name + "_button");
    this.list = document.getElementById(name + "_list");
    this.input = document.createElement("input");
    this.input.type = "file";
    this.input.id = o.inputId;
    this.input.style.display = "none";
    if (o.multiple) {
      this.input.multiple = true;
    }
    if (o.acceptFiles) {
      this.input.accept = o.acceptFiles;
    }
    this.element.appendChild(this.input);
    this.dropArea.style.display = "none";
    this.button.style.display = o.btnVisible ? "" : "none";
    this.list.style.display = o.listVisible ? "" : "none";
    this.button.onclick = function () {
      if (self.options.enabled) {
        self.input.click();
      }
    };
    this.button.onmouseover = function () { self.addClass(self.button, self.cls("buttonHover")); };
    this.button.onmouseout = function () { self.removeClass(self.button, self.cls("buttonHover")); };
    this.input.onchange = function () {
      self.addFiles(self.input.files);
      self.input.value = "";
    };
    this.hookDrop();
    this.setEnabled(o.enabled);
  },

  hookDrop: function () {
    var self = this, drop = this.dropArea, hasFiles = function (event) {
      var types = event.dataTransfer && event.dataTransfer.types;
      return !!types && Array.prototype.indexOf.call(types, "Files") >= 0;
    };
    document.addEventListener("dragenter", function (event) {
      if (self.options.enabled && hasFiles(event)) {
        drop.style.display = "block";
      }
    });
    drop.addEventListener("dragover", function (event) {
      event.preventDefault();
      self.addClass(drop, self.cls("dropActive"));
    });
    drop.addEventListener("dragleave", function () {
      self.removeClass(drop, self.cls("dropActive"));
      drop.style.display = "none";
    });
    drop.addEventListener("drop", function (event) {
      event.preventDefault();
      self.removeClass(drop, self.cls("dropActive"));
      drop.style.display = "none";
      self.dropped(event.dataTransfer ? event.dataTransfer.files : []);
    });
  },

  dropped: function (files) {
    if (!this.options.enabled) {
      return;
    }
    if (!this.options.multiple && files.length > 1) {
      this.addLine({ name: "", size: 0 }).fail(this.options.multipleFileDropNotAllowedMessage);
      return;
    }
    this.addFiles(files);
  },

  setEnabled: function (enabled) {
    this.options.enabled = !!enabled;
    this.input.disabled = !enabled;
    if (enabled) {
      this.removeClass(this.dropArea, this.cls("dropDisabled"));
    } else {
      this.addClass(this.dropArea, this.cls("dropDisabled"));
    }
  },

  /* The first failed check of a file, as a message; "" when it may be sent. */
  validate: function (file) {
    var o = this.options, m = o.messages, dot = file.name.lastIndexOf("."), i, allowed = false,
      extension = dot >= 0 ? file.name.substring(dot + 1).toLowerCase() : "";
    if (o.allowedExtensions.length > 0) {
      for (i = 0; i < o.allowedExtensions.length; i++) {
        allowed = allowed || o.allowedExtensions[i].toLowerCase() === extension;
      }
      if (!allowed) {
        return kxfu.fill(m.typeError, { file: file.name, extensions: o.allowedExtensions.join(", ") });
      }
    }
    if (file.size === 0) {
      return kxfu.fill(m.emptyError, { file: file.name });
    }
    if (o.sizeLimit > 0 && file.size > o.sizeLimit) {
      return kxfu.fill(m.sizeError, { file: file.name, sizeLimit: kxfu.formatSize(o.sizeLimit) });
    }
    if (o.minSizeLimit > 0 && file.size < o.minSizeLimit) {
      return kxfu.fill(m.minSizeError, { file: file.name, minSizeLimit: kxfu.formatSize(o.minSizeLimit) });
    }
    return "";
  },

  addFiles: function (files) {
    var i, line, error;
    if (!this.options.enabled) {
      return;
    }
    if (!files || files.length === 0) {
      this.addLine({ name: "", size: 0 }).fail(this.options.messages.noFilesError);
      return;
    }
    for (i = 0; i < files.length; i++) {
      line = this.addLine(files[i]);
      error = this.validate(files[i]);
      if (error) {
        line.fail(error);
        continue;
      }
      this.callback("SelectFile", { FileName: files[i].name, FileSize: files[i].size });
      this.queue.push({ file: files[i], line: line });
    }
    if (this.options.autoUpload) {
      this.next();
    }
  },

  /* Sends the queued files (for autoUpload false, the page calls this). */
  upload: function () {
    this.next();
  },

  /* One list line from the file template: name and size as text, a cancel link, progress. */
  addLine: function (file) {
    var self = this, holder = document.createElement("ul"), item, line;
    holder.innerHTML = this.options.fileTemplate.replace("{cancelButtonText}",
      kxfu.escapeHtml(this.options.cancelButtonText));
    item = holder.firstChild;
    this.addClass(item, this.cls("listItem"));
    this.list.appendChild(item);
    this.find(item, "file").textContent = file.name;
    this.find(item, "size").textContent = file.name ? kxfu.formatSize(file.size) : "";
    line = {
      item: item,
      progress: function (loaded, total) {
        self.find(item, "size").textContent = kxfu.formatSize(loaded) + " " + self.options.ofTotalText + " " +
          kxfu.formatSize(total);
      },
      done: function () {
        self.finish(item, "success", "successIcon");
        self.find(item, "size").textContent = kxfu.formatSize(file.size);
      },
      fail: function (message) {
        self.finish(item, "fail", "failIcon");
        self.find(item, "size").textContent = message || self.options.failUploadText;
      }
    };
    this.find(item, "cancel").onclick = function () {
      self.cancel(line);
      return false;
    };
    if (this.options.disableCancelForFormUploads) {
      this.find(item, "cancel").style.display = "none";
    }
    return line;
  },

  find: function (item, name) {
    return item.getElementsByClassName(this.cls(name))[0] || document.createElement("span");
  },

  finish: function (item, state, icon) {
    var self = this;
    this.addClass(item, this.cls(state) + " " + this.cls(icon));
    this.find(item, "spinner").style.display = "none";
    this.find(item, "cancel").style.display = "none";
    if (this.options.autoHideListTime > 0) {
      setTimeout(function () {
        if (item.parentNode === self.list) {
          self.list.removeChild(item);
        }
      }, this.options.autoHideListTime);
    }
  },

  cancel: function (line) {
    var i;
    if (this.current && this.current.line === line) {
      this.current.xhr.abort();
      return;
    }
    for (i = 0; i < this.queue.length; i++) {
      if (this.queue[i].line === line) {
        this.queue.splice(i, 1);
      }
    }
    line.fail(this.options.failUploadText);
  },

  /* The post's fields: the server's parameters, the session's ids, then the file. */
  formData: function (file) {
    var data = new FormData(), params = this.options.params, key,
      formId = document.getElementsByName("KX_FormID_")[0];
    for (key in params) {
      if (params.hasOwnProperty(key)) {
        data.append(key, params[key]);
      }
    }
    if (typeof GAppID !== "undefined") {
      data.append("KX_SessionID_", GAppID);
    }
    if (typeof GTrackID !== "undefined" && typeof KX !== "undefined" && KX.trackIdText) {
      data.append("KX_TrackID_", KX.trackIdText(GTrackID));
    }
    if (formId && formId.value) {
      data.append("KX_FormID_", formId.value);
    }
    data.append(this.options.inputName, file, file.name);
    return data;
  },

  next: function () {
    var self = this, entry, xhr, key, headers = this.options.customHeaders;
    if (this.current || this.queue.length === 0) {
      return;
    }
    entry = this.queue.shift();
    xhr = new XMLHttpRequest();
    this.current = { line: entry.line, xhr: xhr };
    xhr.open("POST", kxfu.resolveAction(this.options.action), true);
    for (key in headers) {
      if (headers.hasOwnProperty(key)) {
        xhr.setRequestHeader(key, headers[key]);
      }
    }
    if (xhr.upload) {
      xhr.upload.onprogress = function (event) {
        if (event.lengthComputable) {
          entry.line.progress(event.loaded, event.total);
        }
      };
    }
    /* An abort or a network failure ends with status 0. */
    xhr.onreadystatechange = function () {
      if (xhr.readyState === 4) {
        self.answered(entry, xhr.status, xhr.responseText);
      }
    };
    window.onbeforeunload = function () {
      return self.options.messages.onLeave;
    };
    xhr.send(this.formData(entry.file));
  },

  answered: function (entry, status, text) {
    var reply = null, error;
    this.current = null;
    try {
      reply = JSON.parse(text);
    } catch (e) {
      reply = null;
    }
    if (status === 200 && reply && reply.success === true) {
      entry.line.done();
      this.callback("UploadSuccess", { FileName: entry.file.name });
    } else {
      error = reply && typeof reply.error === "string" ? reply.error : this.options.failUploadText;
      entry.line.fail(error);
      this.callback("UploadError", { FileName: entry.file.name, Error: error });
    }
    if (this.queue.length === 0) {
      window.onbeforeunload = null;
    }
    this.next();
  },

  callback: function (handler, params) {
    if (this.options.asyncHandlers.indexOf(handler) < 0 || typeof KX === "undefined" || !KX.Ajax) {
      return;
    }
    KX.Ajax.callback(this.options.inputName + ".DoOnAsync" + handler, null, false, params);
  },

  addClass: function (element, names) {
    var parts = String(names).split(" "), i;
    for (i = 0; i < parts.length; i++) {
      if (parts[i]) {
        element.classList.add(parts[i]);
      }
    }
  },

  removeClass: function (element, name) {
    if (name) {
      element.classList.remove(name);
    }
  }
};

/* A callback update of the uploader: enabled and visibility; the rest are common properties. */
if (typeof KX !== "undefined" && KX.Update) {
  KX.Update.types.KXFILEUPLOADER = function (element, control) {
    var uploader = window[element.id + "_Obj"], enabled = KX.Ajax.childElements(control, "enabled")[0];
    if (uploader && enabled) {
      uploader.setEnabled(enabled.textContent === "true");
    }
    return false;
  };
}
