# Variables by number, start-up values, change detection, random numbers,
# program parameters and statistics. The test sets the numbers and values.
var[300]=GetVarByNum(var[301]);
var[302]=SetVarByNum(var[303],var[304]);
var[305]=SetVarDefValue(var[306],var[307]);
var[308]=OnChangeVarValue(var[309]);
var[310]=Random(var[311]);
if (var[313]!=0) {
  var[312]=SetPrgParam(7,var[313]);
};
var[314]=GetPrgParam(7);
var[315]=StatVar(var[309]);
