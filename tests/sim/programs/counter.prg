# The integration program: counts its cycles and doubles var[701] into var[702].
var[700]=var[700]+1;
var[702]=var[701]*2;
if (var[700]>3) {
  var[703]=1;
};
