# отопление (heating)
var[10]=GetHour();
if (var[10]>=22) { var[11]=Set_Relay_State(3,1,0); } else {
	if (var[12]$<var[13]) { goto label[4]; };
};
var[14]=Random(100);
label[4]:
var[15]=var[14]%7;
