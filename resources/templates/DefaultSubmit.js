function FormDefaultSubmit()
{ 
   var i;
   for (i = 0; i < event.srcElement.all.length; i++) {
     if (event.srcElement.all[i].type == "submit") {
       SubmitClickConfirm(event.srcElement.all[i].name, "default", true, "");
       return false;
     }
   }
    SubmitClickConfirm("", "default", true, "");
    return false;
}
