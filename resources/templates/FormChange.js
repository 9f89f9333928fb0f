var w=topmost(), d=w.document, p=w.location.protocol + "//" + w.location.host + "{%URLBASE%}";
w.GSubmitting = false;
w.ValidClick = true;
d.SubmitForm.action=p;
if (w.KX && w.KX.Form && w.KX.Form.post) w.KX.Form.post(d.SubmitForm); else d.SubmitForm.submit();
