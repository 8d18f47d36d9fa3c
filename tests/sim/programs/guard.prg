# Stops at its call: variable 1024 does not exist.
var[1]=var[1]+1;
var[0]=GetVarByNum(1024);
