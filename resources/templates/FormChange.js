var w=topmost(), d=w.document, p=w.location.protocol + "//" + w.location.host + "{%URLBASE%}";
w.GSubmitting = false;
w.ValidClick = true;
d.SubmitForm.action=p;
d.SubmitForm.submit();
