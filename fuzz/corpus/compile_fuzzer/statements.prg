var[0]=GetTime();
var[1]=!var[0];
var[2]=var[1]&&1;
var[3]=StartTimer(1,var[2]);
goto label[7];
var[4]=65537;
label[7]:
var[5]=SendRemoteCmd(1,2,3,var[4]);
